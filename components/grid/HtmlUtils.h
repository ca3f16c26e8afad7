#pragma once
// Text utilities of the mini-HTML format: reading and rewriting CONTROL tags (inline form
// controls), the entity encoder and decoder, tag stripping, search highlights, and small
// string functions of the renderer. Stateless functions on single-byte strings with
// 1-based positions, 0 meaning not found.
#include "platform/rtl/System.h"

struct THtmlControlTag {
    String Type;   // upper-cased
    String ID;
    String Value;  // entities decoded
    String Width;
    String Height;
    String Prop;   // entities decoded
    String MaxLen;
};

// tagText: the text of one tag after its "<" ("CONTROL TYPE=... >"). Each attribute is
// found by a plain search for its name and "=", so "ID=" also matches inside "GRID=".
THtmlControlTag ParseControlTag(const String& tagText);
bool HasControlTag(const String& text);
// The ID of the first editable control (not BUTTON, CHECK or RADIO) after the control with
// the given ID; with an empty ID, of the first editable control. Empty when there is none.
String NextEditControlID(const String& text, const String& id);
String ClearRadioControls(const String& text);
String GetControlProp(const String& text, const String& id);
int GetControlMaxLen(const String& text, const String& id);
// Rewrites the control's tag as CONTROL ID VALUE WIDTH TYPE [PROP] [MAXLEN] [HEIGHT] with
// the new value; other attributes are dropped. False, and the text untouched, when no
// control has the ID.
bool SetControlValue(String& text, const String& id, const String& value);

String MaskText(const String& text);
// Entities of the form-control values: &lt; &gt; &amp; &quot; and the accented characters
// of HtmlEntityTable. Both directions work in one pass and are exact in letter case, so
// decoding an encoded text gives it back unchanged.
String DecodeHtmlEntities(const String& text);
String EncodeHtmlEntities(const String& text);

// "<BR>" and "<HR>" (any case) become CR LF, every other tag is removed.
String HtmlToPlainText(const String& text);
String RemoveHtmlTags(const String& text);
// The position in the mark-up of visible character n (the first character after visible
// character n - 1).
int PlainIndexToHtmlIndex(const String& text, int n);
// Position of search in text after its first start characters; 0 when absent.
int FindTextFrom(const String& search, const String& text, int start, int& position, bool caseSensitive);
// Wraps every visible occurrence of search in <tag>...</tag>.
String InsertHighlightTags(const String& text, const String& search, const String& tagName, bool caseSensitive);
String RemoveHighlightTags(const String& text, const String& tagName);
// "<#name>" is shown as "#name".
String RemoveFieldMarks(const String& text);
// Every LF is dropped; every CR becomes "<BR>" when toBR, else it is dropped too.
String LineBreaksToBR(const String& text, bool toBR);

int CaseInsensitivePos(const String& search, const String& text); // folds a..z only
int UpperPosWithResult(const String& search, const String& text, int& position);
int HtmlPosWithResult(const String& search, const String& text, int& position);
bool ReplaceFirstNoCase(const String& oldText, const String& newText, String& text);
int TextToIntQuiet(const String& text);
