#pragma once
// The status box's words: what the port and the printer said, one fact a line, in the
// window's language. The facts themselves come from the port layer and the printer language.
#include "Ports/StatusQuery.h"

#include <QString>
#include <QStringList>
#include <span>

// "印表機", "離線原因", "錯誤原因", "紙捲感應器".
QString StatusRequestName(TStatusRequest request);
// The facts of one answer, one line each ("上蓋：開啟"). An answer whose fixed bits are wrong
// gives one line "…：無法辨識 (FF)"; no byte gives "…：沒有回應"; bytes beyond the first are
// named and not decoded, and those dropped counted.
QStringList StatusAnswerLines(const TStatusAnswer& answer);
// The status lines of a printer device's register: "缺紙：否", "已選取 (上線)：是", ...
QStringList DeviceStatusLines(int status);
// Kept bytes in hex with the count of those dropped: "1A 16，另有 3 位元組已捨棄".
QString KeptBytesText(const std::string& kept, std::size_t dropped);
// "1B 40 0A".
QString HexText(const std::string& bytes);
// The facts named, one line each ("上蓋：開啟"), in the order given.
QStringList FactLines(const TStatusFacts& facts, std::span<const TStatusFact> which);

// The status box: the port, the connection check, the facts and the answers in hex.
QStringList StatusReportLines(const TStatusReport& report);
