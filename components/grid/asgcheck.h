#pragma once
// TPlusStringGridCheck: the base of cell checkers. The string grid passes an edited cell's
// text through Correct (when AutoCorrect) before validation and through MarkError (when
// AutoMarkError) after it. This base changes nothing; a descendant overrides the hooks.
#include "platform/framework/Component.h"

class TPlusStringGridCheck : public TComponent {
public:
    explicit TPlusStringGridCheck(TComponent* AOwner);
    String ClassName() const override { return "TPlusStringGridCheck"; }

    // The text with its errors marked (it becomes the cell's text, so mini-HTML mark-up such
    // as the error tag may be used).
    virtual String MarkError(int ACol, int ARow, const String& Value);
    // The corrected text.
    virtual String Correct(int ACol, int ARow, const String& Value);
    virtual void BeginCheck();
    virtual void EndCheck();

    // published
    bool AutoCorrect = false;
    bool AutoMarkError = false;
    bool GotoCell = false;
    bool UseCorrect = false;
    bool UseMarkError = false;
};
