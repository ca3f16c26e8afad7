#pragma once
// Edit masks and the masked edit.
//
// A mask has up to three fields separated by ';': the mask itself, whether the literals are
// part of Text ('1', the default, or '0'), and the character shown for a blank (default '_').
// In the mask:
//   0 digit, required        9 digit, optional        # digit, '+' or '-', optional
//   L letter, required       l letter, optional
//   A letter or digit, req.  a letter or digit, opt.
//   C any character, req.    c any character, optional
//   > upper-cases what follows, < lower-cases it, <> neither
//   ! optional characters left blank are dropped from the front instead of the end of Text
//   : the time separator     / the date separator     _ a space
//   \ takes the next character literally; any other character is a literal.
#include "platform/framework/StdCtrls.h"

#include <vector>

QUELM_DECLARE_EXCEPTION(EDBEditError, Exception)

// One position of a parsed mask.
struct TMaskChar {
    enum Kind { Literal, Digit, DigitOpt, DigitSign, Letter, LetterOpt, AlphaNum, AlphaNumOpt, Any, AnyOpt };
    Kind kind = Literal;
    char16_t literal = 0;
    int caseMode = 0; // 1 upper, -1 lower
    bool Editable() const { return kind != Literal; }
    bool Required() const { return kind == Digit || kind == Letter || kind == AlphaNum || kind == Any; }
    bool Accepts(char16_t c) const;
};

struct TParsedMask {
    std::vector<TMaskChar> chars;
    bool saveLiterals = true;
    char16_t blank = u'_';
    bool trimLeading = false; // '!'
    bool Empty() const { return chars.empty(); }
};
TParsedMask ParseEditMask(const String& mask);
// `value` put through the mask as the masked edit's Text would give it.
String FormatMaskText(const String& mask, const String& value);

// The masked edit: with an EditMask, typed and pasted characters go into the mask's editable
// positions (literals are skipped, the character must fit its position, one character is
// overwritten at a time); Backspace and Delete blank positions; Escape restores the text the
// edit had before the user changed it; leaving the edit with a required position blank raises
// EDBEditError "Invalid input value.  Use escape key to abandon changes" and keeps the focus.
class TCustomMaskEdit : public TCustomEdit {
public:
    explicit TCustomMaskEdit(TComponent* owner);
    String ClassName() const override { return "TCustomMaskEdit"; }
    String EditMask() const { return mask_; }
    void SetEditMask(const String& mask);
    bool IsMasked() const { return !parsed_.Empty(); }
    // The text as shown (literals and blank characters); Text is what the mask keeps.
    String EditText() const { return TCustomEdit::Text(); }
    void SetEditText(const String& text);
    String Text() const override;
    void SetText(const String& text) override;
    // Raises EDBEditError when a required position is blank.
    virtual void ValidateEdit();
    // Back to the text before the user's change.
    void Reset();

protected:
    void KeyDown(WORD& key, TShiftState shift) override;
    void KeyPress(char& key) override;
    void Dispatch(TMessage& message) override;
    void DoExit() override;

private:
    QString Blank() const;
    void Put(const QString& shown, int caret);
    void TypeChar(char16_t c);
    void BlankRange(int from, int to);
    int NextEditable(int from) const;
    int PrevEditable(int from) const;
    String mask_;
    TParsedMask parsed_;
    String savedText_;
    bool saved_ = false;
};

class TMaskEdit : public TCustomMaskEdit {
public:
    explicit TMaskEdit(TComponent* owner) : TCustomMaskEdit(owner) {}
    String ClassName() const override { return "TMaskEdit"; }
};
