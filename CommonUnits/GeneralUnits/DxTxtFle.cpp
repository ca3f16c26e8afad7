#include "CommonUnits/GeneralUnits/DxTxtFle.h"

#include "platform/rtl/FileUtils.h"

TDxTextFile::TDxTextFile(const String& fileName) : fileName_(fileName), line_(std::make_unique<TDxLine>())
{
    if (!FileExists(fileName))
        throw EDxError("File '" + fileName + "' not found");
    file_.open(fileName, std::ios::binary);
    if (!file_)
        throw EInOutError("Cannot open file \"" + fileName + "\"");
}

TDxTextFile::~TDxTextFile() = default;

bool TDxTextFile::ReadLine()
{
    if (Eof())
        return false;
    String text;
    std::getline(file_, text);
    if (file_.bad())
        throw EInOutError("Read error in file \"" + fileName_ + "\"");
    if (!text.empty() && text.back() == '\r')
        text.pop_back();
    line_->SetText(text);
    return true;
}

bool TDxTextFile::FindLine(const std::vector<String>& words, int lastIndex)
{
    while (ReadLine())
        if (line_->MatchesFields(words, lastIndex))
            return true;
    return false;
}

bool TDxTextFile::FindLine(std::initializer_list<String> words)
{
    return FindLine(std::vector<String>(words), static_cast<int>(words.size()) - 1);
}

bool TDxTextFile::Eof()
{
    if (!file_.good())
        return true;
    return file_.peek() == std::char_traits<char>::eof();
}
