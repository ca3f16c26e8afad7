// Scripted drags: DoDragDrop follows the script's pointer over registered windows offscreen.
#include "platform/win/WinDragScript.h"

#include <QMimeData>
#include <QWidget>
#include <gtest/gtest.h>

namespace {

struct LogTarget : IDropTarget {
    explicit LogTarget(std::vector<std::string>& log, const char* name, DWORD answer)
        : log(log), name(name), answer(answer)
    {
    }
    HRESULT DragEnter(IDataObject*, DWORD, POINT, DWORD* e) override
    {
        log.push_back(name + " enter");
        *e &= answer;
        return S_OK;
    }
    HRESULT DragOver(DWORD, POINT p, DWORD* e) override
    {
        log.push_back(name + " over " + std::to_string(p.x));
        *e &= answer;
        return S_OK;
    }
    HRESULT DragLeave() override
    {
        log.push_back(name + " leave");
        return S_OK;
    }
    HRESULT Drop(IDataObject* data, DWORD, POINT, DWORD* e) override
    {
        STGMEDIUM m;
        FORMATETC f;
        f.cfFormat = OLE_CF_TEXT;
        data->GetData(&f, &m);
        log.push_back(name + " drop " + std::string(m.hGlobal.begin(), m.hGlobal.end()).c_str());
        ReleaseStgMedium(&m);
        *e &= answer;
        return S_OK;
    }
    std::vector<std::string>& log;
    std::string name;
    DWORD answer;
};

struct LogSource : IDropSource {
    explicit LogSource(std::vector<std::string>& log) : log(log) {}
    HRESULT QueryContinueDrag(BOOL escape, DWORD keys) override
    {
        log.push_back(escape ? "escape" : (keys & MK_LBUTTON) ? "held" : "released");
        return escape ? DRAGDROP_S_CANCEL : (keys & MK_LBUTTON) ? S_OK : DRAGDROP_S_DROP;
    }
    HRESULT GiveFeedback(DWORD e) override
    {
        log.push_back("feedback " + std::to_string(e));
        return S_OK;
    }
    std::vector<std::string>& log;
};

} // namespace

TEST(ScriptedDrag, EntersMovesLeavesAndDropsOnTheLastWindow)
{
    QWidget a, b;
    a.setGeometry(0, 0, 50, 50);
    b.setGeometry(100, 0, 50, 50);
    std::vector<std::string> log;
    auto* ta = new LogTarget(log, "a", DROPEFFECT_COPY | DROPEFFECT_MOVE);
    auto* tb = new LogTarget(log, "b", DROPEFFECT_COPY);
    ASSERT_EQ(RegisterDragDrop(&a, ta), S_OK);
    ASSERT_EQ(RegisterDragDrop(&b, tb), S_OK);
    QMimeData mime;
    mime.setText("hello");
    IDataObject* data = DataObjectOfMimeData(&mime);
    LogSource source(log);
    DWORD effect = 99;
    {
        TScriptedDrag drag;
        drag.Over(&a, POINT{5, 5}).Over(&b, POINT{7, 5});
        EXPECT_EQ(DoDragDrop(data, &source, DROPEFFECT_COPY | DROPEFFECT_MOVE, &effect), DRAGDROP_S_DROP);
    }
    EXPECT_EQ(effect, DWORD(DROPEFFECT_COPY));
    const int ax = a.mapToGlobal(QPoint(5, 5)).x(), bx = b.mapToGlobal(QPoint(7, 5)).x();
    const std::vector<std::string> expected{"held",     "a enter",        "a over " + std::to_string(ax),
                                            "feedback 3", "held",         "a leave",
                                            "b enter",  "b over " + std::to_string(bx), "feedback 1",
                                            "released", "b drop hello"};
    EXPECT_EQ(log, expected);

    // Escape at the end, or a release over a window that refuses: no drop, the target left
    log.clear();
    ta->answer = DROPEFFECT_NONE;
    {
        TScriptedDrag drag;
        drag.Over(&a, POINT{1, 1});
        EXPECT_EQ(DoDragDrop(data, &source, DROPEFFECT_COPY, &effect), DRAGDROP_S_CANCEL);
        drag.CancelAtEnd();
        ta->answer = DROPEFFECT_COPY;
        EXPECT_EQ(DoDragDrop(data, &source, DROPEFFECT_COPY, &effect), DRAGDROP_S_CANCEL);
        EXPECT_EQ(drag.Runs, 2);
    }
    EXPECT_EQ(effect, DWORD(DROPEFFECT_NONE));
    EXPECT_EQ(std::count(log.begin(), log.end(), "a leave"), 2);
    EXPECT_EQ(std::count(log.begin(), log.end(), "escape"), 1);
    EXPECT_EQ(std::count_if(log.begin(), log.end(), [](const std::string& s) { return s.find("drop") != s.npos; }), 0);
    data->Release();
    RevokeDragDrop(&a);
    RevokeDragDrop(&b);
    ta->Release();
    tb->Release();
}
