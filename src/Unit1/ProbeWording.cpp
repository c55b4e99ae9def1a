#include "Unit1/ProbeWording.h"

#include <QStringList>

#include <cerrno>
#include <pwd.h>
#include <unistd.h>

namespace {

QString UserName() {
    if (const passwd* p = getpwuid(geteuid()))
        return QString::fromLocal8Bit(p->pw_name);
    return QString::number(geteuid());
}

QString PermissionHint(const TOpenAdvice& a, const TShownValue& shown) {
    const QString group = shown(a.Group);
    if (a.Kind == adJoinGroup) {
        const QString user = UserName();
        return QStringLiteral("請把使用者「%1」加入群組「%2」(例如執行 sudo adduser %1 %2)，"
                              "然後登出再重新登入，新的群組才會生效。")
            .arg(user, group);
    }
    return QStringLiteral("這個裝置屬於 %1:%2，權限為擁有者 %3、群組 %4、其他人 %5；群組不能%6"
                          "這個裝置，加入群組「%2」也沒有用。請系統管理員為這個裝置設定權限規則，"
                          "或改選其他裝置。")
        .arg(shown(a.Owner), group, QString::fromStdString(a.OwnerAccess),
             QString::fromStdString(a.GroupAccess), QString::fromStdString(a.OtherAccess),
             a.Serial ? QStringLiteral("讀寫") : QStringLiteral("寫入"));
}

QString ChooseDeviceHint(const TOpenAdvice& a, bool fromVariable, const TShownValue& shown) {
    if (fromVariable)
        return QStringLiteral("這個裝置由環境變數 %1 指定：請修改或取消這個變數，再重新啟動程式。")
            .arg(QString::fromStdString(a.Variable));
    const QString kind = a.Serial ? QStringLiteral("序列埠裝置") : QStringLiteral("印表機裝置");
    if (a.Present.empty())
        return QStringLiteral("這台電腦上沒有找到%1：請確認印表機 (或 USB 轉接線) "
                              "已接上並開機，或輸入正確的路徑。")
            .arg(kind);
    QStringList list;
    for (const std::string& path : a.Present)
        list << shown(path);
    if (a.More)
        list << QStringLiteral("…");
    return QStringLiteral("這台電腦上的%1有 %2。請從下拉清單選擇其中一個，或輸入正確的路徑。")
        .arg(kind, list.join(QStringLiteral("、")));
}

QString AdviceHint(const TOpenAdvice& a, bool fromVariable, const TShownValue& shown) {
    switch (a.Kind) {
    case adJoinGroup:
    case adNoGroupHelps:
        return PermissionHint(a, shown);
    case adChooseDevice:
        return ChooseDeviceHint(a, fromVariable, shown);
    case adBusy:
        return QStringLiteral("請先關閉正在使用這個連接埠的程式，再按一次「測試」。");
    case adNone:
        break;
    }
    return {};
}

} // namespace

QString ProbeReasonText(const TProbeResult& r, bool net) {
    switch (r.Code) {
    case ENOENT:
        return net ? QStringLiteral("找不到這個主機名稱") : QStringLiteral("找不到這個裝置或檔案");
    case EACCES:
    case EPERM:
        return QStringLiteral("沒有使用這個裝置的權限");
    case EBUSY:
        return QStringLiteral("另一個程式正在使用這個連接埠");
    case ENXIO:
        return r.Kind == phStartReader ? QStringLiteral("沒有程式在讀取這個具名管道 (FIFO)")
                                       : QStringLiteral("裝置沒有接上");
    case ENODEV:
        return QStringLiteral("這個連接埠後面沒有實際的硬體");
    case ENOTTY:
        return QStringLiteral("這不是序列埠裝置");
    case EISDIR:
        return QStringLiteral("這是資料夾，不是裝置或檔案");
    case ENOTDIR:
        return QStringLiteral("路徑中有一段不是資料夾");
    case EROFS:
        return QStringLiteral("所在的檔案系統是唯讀的");
    case ENAMETOOLONG:
        return QStringLiteral("路徑或其中一段名稱太長");
    case ELOOP:
        return QStringLiteral("路徑中的捷徑 (符號連結) 繞成了迴圈");
    case EIO:
        return QStringLiteral("裝置發生輸出入錯誤");
    case ECONNREFUSED:
        return QStringLiteral("印表機拒絕連線");
    case ETIMEDOUT:
        return QStringLiteral("等候逾時，沒有回應");
    case EHOSTUNREACH:
        return QStringLiteral("網路上找不到這台主機");
    case ENETUNREACH:
        return QStringLiteral("無法連到這個網路");
    case ECONNRESET:
        return QStringLiteral("連線被印表機中斷");
    case ECANCELED:
        return QStringLiteral("已取消");
    case EDESTADDRREQ:
        return QStringLiteral("尚未設定印表機的位址");
    default:
        break;
    }
    return QStringLiteral("系統錯誤 (代碼 %1)").arg(r.Code);
}

QString ProbeHintText(const TProbeResult& r, const std::string& path, bool fromVariable,
                      const TShownValue& shown) {
    switch (r.Kind) {
    case phOpenAdvice:
        return AdviceHint(r.Advice, fromVariable, shown);
    case phStartReader:
        return QStringLiteral("請先啟動讀取這個具名管道的程式，例如 vemix-printer --input %1，"
                              "再按一次「測試」。")
            .arg(shown(path));
    case phMadeAtFirstPrint:
        return QStringLiteral("這個檔案還不存在，第一次列印時會自動建立。");
    case phFolderNotWritable:
        return QStringLiteral("無法在資料夾 %1 中建立檔案：請改用可以寫入的資料夾。")
            .arg(shown(r.Folder));
    case phNetRefused:
        return QStringLiteral("印表機有回應，但這個連接埠不接受列印資料：請確認印表機的原始列印"
                              "連接埠 (通常是 9100)。");
    case phNetUnreachable:
        return QStringLiteral("請檢查位址與網路線，並確認印表機已開機。");
    case phNetUnknownName:
        return QStringLiteral("請檢查主機名稱，或改用印表機的 IP 位址。");
    case phNone:
        break;
    }
    return {};
}
