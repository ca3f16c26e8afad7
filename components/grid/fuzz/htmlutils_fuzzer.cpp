// Runs the mini-HTML utilities on arbitrary text. Input: one byte that selects the search
// text length, then the text. Checks that entity encoding round-trips exactly.
#include "components/grid/HtmlFormat.h"
#include "components/grid/HtmlUtils.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1 || size > 2048)
        return 0;
    const String text(reinterpret_cast<const char*>(data + 1), size - 1);
    const String search = text.substr(0, data[0] % 4);

    if (DecodeHtmlEntities(EncodeHtmlEntities(text)) != text)
        std::abort();

    String rest = text;
    THtmlToken token;
    while (NextHtmlToken(rest, token)) {
        if (!token.IsTag) {
            DecodeTextRunEntities(token.Text);
            continue;
        }
        IdentifyHtmlTag(token.Text);
        HtmlColorValueToColor(HtmlTagAttribute(token.Text, " COLOR"));
        HtmlTagAttribute(token.Text, "ID");
        ParseHtmlPictureSource(HtmlTagAttribute(token.Text, "SRC"));
    }
    DecodeFixedHtmlEntities(text);

    HtmlToPlainText(text);
    PlainIndexToHtmlIndex(text, static_cast<int>(data[0]));
    RemoveFieldMarks(text);
    const String highlighted = InsertHighlightTags(text, search, "HI", (data[0] & 4) != 0);
    RemoveHighlightTags(highlighted, "hi");

    if (HasControlTag(text)) {
        const String id = NextEditControlID(text, "");
        GetControlProp(text, id);
        GetControlMaxLen(text, id);
        String changed = text;
        SetControlValue(changed, id, search);
        ClearRadioControls(text);
    }
    return 0;
}
