#include "platform/framework/Clipbrd.h"
#include "platform/framework/Controls.h"

#include <QClipboard>
#include <QGuiApplication>
#include <cstring>
#include <gtest/gtest.h>

namespace {

// A control that copies its text and a private record on WM_COPY and takes both on WM_PASTE,
// each through the API clipboard opened with its own window.
class CellControl : public TCustomControl {
public:
    explicit CellControl(TComponent* owner) : TCustomControl(owner) {}
    String Text;
    std::string Record;

    void WndProc(TMessage& message) override
    {
        if (message.Msg == WM_COPY)
            CopyCells();
        else if (message.Msg == WM_PASTE)
            PasteCells();
        else
            TCustomControl::WndProc(message);
    }

    static UINT Format() { return RegisterClipboardFormat("TTest Cells"); }

private:
    void CopyCells()
    {
        if (!OpenClipboard(Handle()))
            return;
        EmptyClipboard();
        Put(CF_TEXT, Text.c_str(), Text.size() + 1);
        Put(Format(), Record.data(), Record.size());
        CloseClipboard();
    }
    static void Put(UINT format, const void* bytes, size_t size)
    {
        HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE | GMEM_DDESHARE, size);
        std::memcpy(GlobalLock(memory), bytes, size);
        GlobalUnlock(memory);
        if (!SetClipboardData(format, memory))
            GlobalFree(memory);
    }
    void PasteCells()
    {
        if (!OpenClipboard(Handle()))
            return;
        if (HGLOBAL text = GetClipboardData(CF_TEXT)) {
            Text = static_cast<const char*>(GlobalLock(text));
            GlobalUnlock(text);
        }
        if (HGLOBAL cells = GetClipboardData(Format())) {
            Record.assign(static_cast<const char*>(GlobalLock(cells)), GlobalSize(cells));
            GlobalUnlock(cells);
        }
        CloseClipboard();
    }
};

TEST(Clipboard, TextAndPrivateFormatTravelBetweenControls)
{
    CellControl source(nullptr), target(nullptr);
    source.Text = "1\t2\r\n3\t4\r\n";
    source.Record = std::string("\x01\0\x02\0\xFE", 5);
    SendMessage(source.Handle(), WM_COPY, 0, 0);
    EXPECT_EQ(GetClipboardOwner(), source.Handle());
    target.Perform(WM_PASTE, 0, 0);
    EXPECT_EQ(target.Text, source.Text);
    EXPECT_EQ(target.Record, source.Record);
    EXPECT_TRUE(Clipboard()->HasFormat(CellControl::Format()));

    // While one control holds the clipboard open the other cannot take it.
    ASSERT_TRUE(OpenClipboard(source.Handle()));
    target.Text.clear();
    target.Perform(WM_PASTE, 0, 0);
    EXPECT_EQ(target.Text, "");
    EXPECT_THROW(Clipboard()->AsText(), Exception);
    CloseClipboard();
}

TEST(Clipboard, ObjectSettersReplaceOutsideOpenAndAddInside)
{
    Clipboard()->SetAsText("first");
    EXPECT_EQ(Clipboard()->AsText(), "first");
    EXPECT_EQ(QGuiApplication::clipboard()->text(), "first");

    const UINT cells = CellControl::Format();
    Clipboard()->SetBuffer(cells, "\0\1", 2); // replaces: the text is gone
    EXPECT_FALSE(Clipboard()->HasFormat(CF_TEXT));

    Clipboard()->Open();
    Clipboard()->SetAsText("both");        // the first set in the block empties
    Clipboard()->SetBuffer(cells, "\2", 1); // the next ones add
    Clipboard()->Close();
    EXPECT_EQ(Clipboard()->AsText(), "both");
    HGLOBAL handle = Clipboard()->GetAsHandle(cells);
    ASSERT_NE(handle, nullptr);
    EXPECT_EQ(GlobalSize(handle), 1u);
    EXPECT_EQ(Clipboard()->FormatCount(), 3);
    EXPECT_EQ(Clipboard()->Formats(2), cells);
    EXPECT_THROW(Clipboard()->Formats(3), EListError);

    char buffer[3];
    EXPECT_EQ(Clipboard()->GetTextBuf(buffer, sizeof buffer), 2);
    EXPECT_STREQ(buffer, "bo");
    Clipboard()->Clear();
    EXPECT_EQ(Clipboard()->AsText(), "");
    EXPECT_EQ(Clipboard()->FormatCount(), 0);
}

} // namespace
