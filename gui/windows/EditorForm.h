#pragma once
// The behaviour every editor window of quelmgui shares. An editor window owns no data: its
// controls are bound to the data module's tables, whose rules supply keys, defaults, locks
// and the save and delete prompts. A window derives from TEditorForm and gives its caption
// title, its help context, the tables it opens and the tables it posts on close; the rest of
// the pattern comes from here:
//
// - caption: the caption title formatted with the application title ("%s - Locations");
// - activation, once when shown (and when called): hour-glass, OpenTables, then the window's
//   own steps (AfterOpenTables); the main window's idle handler takes the hour-glass down;
// - closing: the tables posted on close are posted in their order; the save prompt's No and
//   Cancel keep the window open (the user presses Close again), and so does a failed post;
// - navigators: no delete confirmation of their own (the data module asks), confirmation off
//   right before an explicit Post, on again after every button; Insert may focus a control,
//   Cancel may focus another;
// - comments buttons, the character filter of code, name and description edits, and the
//   generic copy of a catalogue record with its child tables;
// - master state panels and the scroll rule of scheme windows.
#include "platform/dbctrls/DBCtrls.h"
#include "platform/framework/Forms.h"
#include "platform/framework/StdCtrls.h"

#include "platform/db/DBTables.h"

#include <functional>
#include <vector>

class TEditorForm : public TForm {
public:
    TEditorForm(TComponent* owner, const String& captionTitle, int helpContext);
    // A window freed without being closed leaves no handler of its own on the data module.
    ~TEditorForm() override;
    String ClassName() const override { return "TEditorForm"; }

    const String& CaptionTitle() const { return captionTitle_; }
    int HelpContext() const { return helpContext_; }
    // Tables posted by FormClose, in this order.
    std::vector<TTable*> TablesPostedOnClose;

    // The pattern's handlers; derived windows call them from their own where they add steps.
    void FormCreate(TObject* sender);
    void FormActivate(TObject* sender);
    void FormClose(TObject* sender, TCloseAction& action);
    void btnCloseClick(TObject* sender) { Close(); }

    // Navigators of the pattern (every editor window's and the main window's run navigator).
    static void WireNavigator(TDBNavigator* navigator, TWinControl* focusOnInsert = nullptr,
                              TWinControl* focusOnCancel = nullptr, std::function<void()> afterClick = nullptr);
    // A "Comments..." button that edits the field "Comments" of the source's current record.
    static void WireCommentsButton(TButton* button, TDataSource* source);
    // The character filter: characters of code 128 and above are taken out of the edit's
    // text as soon as they appear, the caret one place before where it was.
    static void RemoveExtendedChars(TEdit* edit);
    static void WireCharacterFilter(TEdit* edit);

    // The copy of the current record of a catalogue table.
    struct TChildCopy {
        TTable* table = nullptr;
        String keyField;
        bool purge = true; // delete the rows that posting the copy made under the new key first
    };
    struct TCopySpec {
        TTable* master = nullptr;
        String keyField;
        String nameField;               // also gets "copy_" in front, when given
        String fixedKey;                // the new key, instead of "copy_" + the old key
        bool resetMorvaSelected = false;
        std::vector<TTable*> postFirst; // posted after the master, in order
        std::vector<TChildCopy> children;
    };
    // Copies the current record under "copy_" + its key (unlocked) with the rows of its child
    // tables, all in one transaction; the copy is the current record after. The default rows
    // that posting the copy makes are purged before the copied rows go in. A failed post of
    // the master stops the copy with the new record in insert state, for the user to change
    // its key or cancel; a failure after it leaves no part of the copy.
    static void CopyRecord(const TCopySpec& plan);

    // While the master source is in edit or insert state the child panel is hidden and the
    // message label shown; back in browse state the panel shows and the children refresh.
    void AttachMasterStatePanel(TDataSource* master, TControl* childPanel, TLabel* message,
                                std::vector<TTable*> children);
    // Editing controls hidden while the master's current code is "NO" (any case).
    void AttachScrollRule(TTable* master, const String& codeField, std::vector<TControl*> editing);

protected:
    // Opens or refreshes every table the window shows, in order (lookup tables included).
    virtual void OpenTables() {}
    // The window's own steps of activation, after OpenTables.
    virtual void AfterOpenTables() {}
    // The window's own steps of closing, after the posts (detaching its handlers).
    virtual void BeforeCloseDone() {}
    void ScrollRule();

private:
    void DetachHandlers();
    String captionTitle_;
    int helpContext_;
    TDataSource* stateSource_ = nullptr;
    TControl* childPanel_ = nullptr;
    TLabel* stateMessage_ = nullptr;
    std::vector<TTable*> stateChildren_;
    TTable* scrollMaster_ = nullptr;
    String scrollCodeField_;
    std::vector<TControl*> scrollEditing_;
};

