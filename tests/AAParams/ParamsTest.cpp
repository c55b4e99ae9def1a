#include "AAParams/Effect.h"
#include "AAParams/ParamsControl.h"
#include "Graphics/Bitmap.h"
#include "Rtl/Exceptions.h"

#include <gtest/gtest.h>
#include <vector>

namespace {

// Records every change callback with its sender.
struct Log {
    std::vector<TPersistent*> senders;
    TNotifyEvent Callback() {
        return [this](TPersistent* s) { senders.push_back(s); };
    }
    size_t Take() {
        size_t n = senders.size();
        senders.clear();
        return n;
    }
};

// A control side that counts its setter calls, as a real control's setters have effects.
struct Host : TParamHost {
    TDragKind kind = dkDrag;
    TCursor cursor = crDrag;
    TDragMode mode = dmManual;
    bool parentColor = true, parentFont = true, parentShowHint = true;
    int sets = 0;
    TDragKind DragKind() const override { return kind; }
    void SetDragKind(TDragKind v) override { kind = v, ++sets; }
    TCursor DragCursor() const override { return cursor; }
    void SetDragCursor(TCursor v) override { cursor = v, ++sets; }
    TDragMode DragMode() const override { return mode; }
    void SetDragMode(TDragMode v) override { mode = v, ++sets; }
    bool ParentColor() const override { return parentColor; }
    void SetParentColor(bool v) override { parentColor = v, ++sets; }
    bool ParentFont() const override { return parentFont; }
    void SetParentFont(bool v) override { parentFont = v, ++sets; }
    bool ParentShowHint() const override { return parentShowHint; }
    void SetParentShowHint(bool v) override { parentShowHint = v, ++sets; }
};

} // namespace

TEST(Params, Defaults) {
    TAAEffect e;
    EXPECT_EQ(e.Alpha(), 100);
    EXPECT_EQ(e.Blur(), 0);
    EXPECT_EQ(e.Angle(), 0);
    EXPECT_EQ(e.Noise(), 0);
    EXPECT_EQ(e.Spray(), 0);
    EXPECT_FALSE(e.Outline() || e.HorzMirror() || e.VertMirror());
    EXPECT_FALSE(e.Shadow().Enabled() || e.Gradual().Enabled() || e.Texture().Enabled());
    EXPECT_EQ(e.Shadow().Blur(), 80);
    EXPECT_EQ(e.Shadow().Alpha(), 70);
    EXPECT_EQ(e.Shadow().Color(), TColor(0x444444));
    EXPECT_EQ(e.Shadow().OffsetX(), 2);
    EXPECT_EQ(e.Shadow().OffsetY(), 2);
    EXPECT_EQ(e.Gradual().Style(), gsLeftToRight);
    EXPECT_EQ(e.Gradual().StartColor(), TColor(0xFFFFFF));
    EXPECT_EQ(e.Gradual().EndColor(), TColor(0));
    EXPECT_EQ(e.Texture().Mode(), tmTiled);
    EXPECT_TRUE(e.Texture().Picture().Empty());

    TCustomParam p(nullptr, {});
    EXPECT_EQ(p.Alignment(), taLeftJustify);
    EXPECT_FALSE(p.Transparent());
    EXPECT_EQ(p.Layout(), tlTop);
    EXPECT_EQ(p.BackGroundMode(), bmCenter);
    EXPECT_TRUE(p.IsBackGroundEmpty());

    // Without a control the forwarding groups show the declared defaults.
    TDragParam d;
    EXPECT_EQ(d.DragKind(), dkDrag);
    EXPECT_EQ(d.DragCursor(), -12);
    EXPECT_EQ(d.DragMode(), dmManual);
    TParentEffect pe;
    EXPECT_TRUE(pe.ParentColor() && pe.ParentFont() && pe.ParentShowHint());
}

TEST(Params, DisabledChildStoresSilentlyAndReportsOnlyItsSwitching) {
    Log log;
    TAAShadow s(log.Callback());
    s.SetBlur(30);
    EXPECT_EQ(s.Blur(), 30);
    EXPECT_EQ(log.Take(), 0u);
    s.SetEnabled(true);
    ASSERT_EQ(log.senders.size(), 1u);
    EXPECT_EQ(log.senders[0], &s);
    log.Take();
    s.SetEnabled(true);
    s.SetBlur(30);
    s.SetOffsetX(2);
    EXPECT_EQ(log.Take(), 0u) << "equal values notify nothing";
    s.SetOffsetX(-5);
    s.SetColor(0x123456);
    s.SetAlpha(1);
    s.SetOffsetY(0);
    EXPECT_EQ(log.Take(), 4u);
    s.SetEnabled(false);
    EXPECT_EQ(log.Take(), 1u) << "switching off is still seen";
    EXPECT_EQ(s.OffsetX(), -5) << "a disabled child keeps its values";

    TAAGradual g(log.Callback());
    g.SetStyle(gsCenterToLR);
    g.SetStartColor(1);
    EXPECT_EQ(log.Take(), 0u);
    g.SetEnabled(true);
    g.SetEndColor(0xFF);
    g.SetEndColor(0xFF);
    EXPECT_EQ(log.Take(), 2u);

    TAATexture t(log.Callback());
    t.SetMode(tmCenter);
    EXPECT_EQ(log.Take(), 0u);
    t.SetEnabled(true);
    t.SetMode(tmStretched);
    t.SetMode(tmStretched);
    EXPECT_EQ(log.Take(), 2u);
}

TEST(Params, NestedChangeReachesTheEffectOwnerOnceAsTheEffect) {
    Log log;
    TAAEffect e(log.Callback());
    e.Gradual().SetStartColor(0x102030); // disabled: silent
    EXPECT_EQ(log.Take(), 0u);
    e.Gradual().SetEnabled(true);
    e.Gradual().SetStyle(gsBottomToTop);
    ASSERT_EQ(log.senders.size(), 2u);
    EXPECT_EQ(log.senders[0], &e);
    EXPECT_EQ(log.senders[1], &e);
    log.Take();

    e.SetAlpha(100);
    e.SetAngle(0);
    e.SetOutline(false);
    EXPECT_EQ(log.Take(), 0u);
    e.SetAngle(-360);
    e.SetNoise(255);
    e.SetSpray(5);
    e.SetBlur(3);
    e.SetOutline(true);
    e.SetHorzMirror(true);
    e.SetVertMirror(true);
    e.SetAlpha(0);
    EXPECT_EQ(log.Take(), 8u);

    // Copying a child in always reports once, even when nothing differs.
    TAAShadow same;
    e.SetShadow(same);
    EXPECT_EQ(log.Take(), 1u);
    same.SetBlur(11);
    same.SetEnabled(true);
    e.SetShadow(same);
    EXPECT_EQ(log.Take(), 1u);
    EXPECT_EQ(e.Shadow().Blur(), 11);
    EXPECT_TRUE(e.Shadow().Enabled());
    e.SetGradual(TAAGradual());
    EXPECT_FALSE(e.Gradual().Enabled());
    EXPECT_EQ(log.Take(), 1u);

    // A callback replaced later by the holder takes over.
    Log other;
    e.SetOnChanged(other.Callback());
    e.Shadow().SetOffsetY(9);
    EXPECT_EQ(log.Take(), 0u);
    EXPECT_EQ(other.Take(), 1u);
    e.SetOnChanged({});
    e.SetBlur(99); // no callback: nothing to call, nothing breaks
    EXPECT_EQ(e.Blur(), 99);
}

TEST(Params, SettersStoreValuesOutsideThePublishedRanges) {
    TAAEffect e;
    e.SetAlpha(250);
    e.SetAngle(720);
    e.Shadow().SetOffsetX(-100);
    EXPECT_EQ(e.Alpha(), 250);
    EXPECT_EQ(e.Angle(), 720);
    EXPECT_EQ(e.Shadow().OffsetX(), -100);
}

TEST(Params, AssignCopiesValuesIntoAnIndependentObject) {
    Log srcLog, dstLog;
    TAAEffect src(srcLog.Callback());
    src.SetAlpha(40);
    src.SetBlur(7);
    src.SetNoise(17);
    src.SetSpray(8);
    src.SetAngle(45);
    src.SetOutline(true);
    src.SetVertMirror(true);
    src.Shadow().SetEnabled(true);
    src.Shadow().SetOffsetX(-4);
    src.Gradual().SetEnabled(true);
    src.Gradual().SetEndColor(0xABCDEF);
    src.Texture().SetMode(tmCenter);
    srcLog.Take();

    TAAEffect dst(dstLog.Callback());
    dst.Assign(&src);
    EXPECT_EQ(dstLog.Take(), 0u) << "plain fields are copied without notifying";
    EXPECT_EQ(dst.Alpha(), 40);
    EXPECT_EQ(dst.Blur(), 7);
    EXPECT_EQ(dst.Noise(), 17);
    EXPECT_EQ(dst.Spray(), 8);
    EXPECT_EQ(dst.Angle(), 45);
    EXPECT_TRUE(dst.Outline());
    EXPECT_FALSE(dst.HorzMirror());
    EXPECT_TRUE(dst.VertMirror());
    EXPECT_TRUE(dst.Shadow().Enabled());
    EXPECT_EQ(dst.Shadow().OffsetX(), -4);
    EXPECT_TRUE(dst.Gradual().Enabled());
    EXPECT_EQ(dst.Gradual().EndColor(), TColor(0xABCDEF));
    EXPECT_EQ(dst.Texture().Mode(), tmCenter);

    // The copy's children still report to the copy's owner, and only there.
    src.Shadow().SetOffsetX(6);
    src.SetAlpha(1);
    EXPECT_EQ(dst.Shadow().OffsetX(), -4);
    EXPECT_EQ(dst.Alpha(), 40);
    EXPECT_EQ(dstLog.Take(), 0u);
    dst.Shadow().SetBlur(1);
    EXPECT_EQ(dstLog.Take(), 1u);
    EXPECT_EQ(srcLog.Take(), 2u);
    EXPECT_EQ(src.Shadow().Blur(), 80);

    TAAEffect self;
    self.SetAlpha(12);
    self.Assign(&self);
    EXPECT_EQ(self.Alpha(), 12);
}

TEST(Params, AssignAcrossClasses) {
    TAAShadow s;
    TAAGradual g;
    g.SetEnabled(true);
    g.SetStartColor(5);
    // Siblings share only the switch.
    s.Assign(&g);
    EXPECT_TRUE(s.Enabled());
    EXPECT_EQ(s.Blur(), 80);

    TDragParam d;
    try {
        s.Assign(&d);
        FAIL() << "assigning an unrelated class must fail";
    } catch (const EConvertError& e) {
        EXPECT_NE(e.Message().indexOf(QStringLiteral("Cannot assign a TDragParam to a TAAShadow")),
                  -1)
            << e.Message().toStdString();
    }
    EXPECT_THROW(d.Assign(&s), EConvertError);
    TAAEffect e;
    EXPECT_THROW(e.Assign(&d), EConvertError);
    EXPECT_THROW(e.Assign(nullptr), EConvertError);
    EXPECT_THROW(d.Assign(nullptr), EConvertError);
}

TEST(Params, CustomParamNotifiesAndCopiesWithoutTakingTheControl) {
    Host a, b;
    Log log;
    TCustomParam p(&a, log.Callback());
    p.SetAlignment(taLeftJustify);
    p.SetLayout(tlTop);
    p.SetTransparent(false);
    p.SetBackGroundMode(bmCenter);
    EXPECT_EQ(log.Take(), 0u);
    p.SetAlignment(taCenter);
    p.SetLayout(tlBottom);
    p.SetTransparent(true);
    p.SetBackGroundMode(bmTiled);
    EXPECT_EQ(log.Take(), 4u);

    TCustomParam q(&b, {});
    q.Assign(&p);
    EXPECT_EQ(q.Control(), &b) << "a copy keeps acting on its own control";
    EXPECT_EQ(q.Alignment(), taCenter);
    EXPECT_EQ(q.Layout(), tlBottom);
    EXPECT_TRUE(q.Transparent());
    EXPECT_EQ(q.BackGroundMode(), bmTiled);
    p.SetTransparent(false);
    EXPECT_TRUE(q.Transparent());
}

TEST(Params, ControlParamsForwardToTheirControlAndCopyValuesAcross) {
    Host a, b;
    TDragParam da(&a), db(&b);
    da.SetDragMode(dmAutomatic);
    da.SetDragKind(dkDock);
    da.SetDragCursor(-3);
    EXPECT_EQ(a.mode, dmAutomatic);
    EXPECT_EQ(a.kind, dkDock);
    EXPECT_EQ(da.DragCursor(), -3);
    a.sets = 0;

    db.Assign(&da);
    EXPECT_EQ(db.Control(), &b);
    EXPECT_EQ(b.mode, dmAutomatic);
    EXPECT_EQ(b.kind, dkDock);
    EXPECT_EQ(b.cursor, -3);
    EXPECT_EQ(b.sets, 3) << "values go through the control's own setters";
    db.SetDragMode(dmManual);
    EXPECT_EQ(a.mode, dmAutomatic) << "the source's control is left alone";
    EXPECT_EQ(a.sets, 0);

    TParentEffect pa(&a), pb(&b);
    pa.SetParentColor(false);
    pa.SetParentShowHint(false);
    pb.Assign(&pa);
    EXPECT_FALSE(b.parentColor);
    EXPECT_TRUE(b.parentFont);
    EXPECT_FALSE(b.parentShowHint);
    EXPECT_TRUE(a.parentFont);

    // A drag group into a parent group: accepted, nothing of either kind copied.
    b.sets = 0;
    pb.Assign(&da);
    EXPECT_EQ(b.sets, 0);
    TDragParam none;
    none.SetDragMode(dmAutomatic); // no control: nowhere to store
    EXPECT_EQ(none.DragMode(), dmManual);
    none.Assign(&da);
    EXPECT_EQ(none.Control(), nullptr);
}

TEST(Params, PicturesReportThroughTheirHolder) {
    TBitmap small(4, 3);
    Log log;
    TAAEffect e(log.Callback());
    e.Texture().Picture().SetGraphic(&small); // texture off: silent
    EXPECT_EQ(log.Take(), 0u);
    e.Texture().SetEnabled(true);
    log.Take();
    e.Texture().Picture().SetGraphic(nullptr);
    ASSERT_EQ(log.senders.size(), 1u);
    EXPECT_EQ(log.senders[0], &e);
    log.Take();
    TPicture given;
    given.SetGraphic(&small);
    e.Texture().SetPicture(given);
    EXPECT_EQ(log.Take(), 1u);
    EXPECT_EQ(e.Texture().Picture().Width(), 4);
    given.SetGraphic(nullptr);
    EXPECT_EQ(e.Texture().Picture().Height(), 3) << "the texture holds its own copy";

    // Copying an effect copies its picture too, as an independent graphic.
    TAAEffect copy;
    copy.Assign(&e);
    e.Texture().Picture().SetGraphic(nullptr);
    EXPECT_EQ(copy.Texture().Picture().Width(), 4);

    TCustomParam p(nullptr, log.Callback());
    log.Take();
    TBitmap empty;
    p.BackGround().SetGraphic(&empty);
    EXPECT_TRUE(p.IsBackGroundEmpty()) << "a graphic without pixels is empty";
    EXPECT_EQ(log.Take(), 1u);
    p.SetBackGround(given);
    EXPECT_TRUE(p.IsBackGroundEmpty());
    given.SetGraphic(&small);
    p.SetBackGround(given);
    EXPECT_FALSE(p.IsBackGroundEmpty());
    EXPECT_EQ(log.Take(), 2u);
    TCustomParam q(nullptr, log.Callback());
    q.Assign(&p);
    EXPECT_EQ(log.Take(), 1u) << "the copied picture reports as a picture change";
    p.BackGround().SetGraphic(nullptr);
    EXPECT_FALSE(q.IsBackGroundEmpty());
}
