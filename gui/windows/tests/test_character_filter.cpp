// The character filter of code, name and description edits, driven by real key events and a
// paste through the edit: characters of code 128 and above go at once, and the caret stands one
// place before where it was, never outside the text that is left.
#include "gui/windows/EditorForm.h"

#include "platform/framework/Forms.h"
#include "platform/framework/StdCtrls.h"

#include <QApplication>
#include <QKeyEvent>
#include <gtest/gtest.h>

#include <memory>

namespace {

// Types text key by key, as a keyboard does (also characters that have no key code of their own).
void Type(QWidget* widget, const QString& text)
{
    for (const QChar ch : text) {
        QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(ch));
        QKeyEvent release(QEvent::KeyRelease, 0, Qt::NoModifier, QString(ch));
        QApplication::sendEvent(widget, &press);
        QApplication::sendEvent(widget, &release);
    }
}

struct FilterCase {
    const char* before;  // text in the edit
    int caret;           // where the user types
    const char* typed;   // what arrives (UTF-8: é and ü lie above 127 in the code page)
    const char* after;   // text left
    int caretAfter;
};

TEST(CharacterFilter, TypedAndPastedExtendedCharactersGoAndTheCaretStepsBack)
{
    const FilterCase cases[] = {
        {"abcd", 2, "é", "abcd", 2},     // typed in the middle
        {"abcd", 0, "é", "abcd", 0},     // typed at the start: the caret stays at 0
        {"abcd", 4, "x", "abcdx", 5},    // a plain character stays
        {"", 0, "éü", "", 0},            // everything typed goes
        {"ab", 2, "cé", "abc", 3},       // the plain part of what was typed stays
    };
    std::unique_ptr<TForm> form(New<TForm>(nullptr));
    TEdit* edit = New<TEdit>(form.get());
    edit->SetParent(form.get());
    TEditorForm::WireCharacterFilter(edit);
    form->Show();
    for (const FilterCase& c : cases) {
        SCOPED_TRACE(std::string(c.before) + " + " + c.typed);
        edit->SetText(c.before);
        edit->SetSelStart(c.caret);
        edit->SetSelLength(0);
        Type(edit->Host(), QString::fromUtf8(c.typed));
        EXPECT_EQ(edit->Text(), String(c.after));
        EXPECT_EQ(edit->SelStart(), c.caretAfter);
    }

    // A paste of several extended characters at the end: the caret is clamped to the text left.
    edit->SetText("a");
    edit->SetSelStart(1);
    edit->SetSelLength(0);
    edit->SetSelText("\xE9\xE9"); // two é in the code page
    EXPECT_EQ(edit->Text(), String("a"));
    EXPECT_EQ(edit->SelStart(), 1);
}

} // namespace
