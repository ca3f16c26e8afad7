// Routines of the unit that open, post, clone and copy rows of the module's tables.
#include "CommonUnits/GeneralUnits/dmQuelm_Unit.h"

#include "CommonUnits/GeneralUnits/Comment.h"
#include "CommonUnits/GeneralUnits/TfrmCopyProgress_Unit.h"

#include <functional>
#include <memory>

void OpenOrRefresh(TTable* table)
{
    if (table->Active())
        table->Refresh();
    else
        table->Open();
}

void OpenUnfiltered(TTable* table)
{
    if (table->Filtered())
        table->SetFiltered(false);
    OpenOrRefresh(table);
}

void PostPendingEdits(TTable* table)
{
    if (table->State() == dsEdit || table->State() == dsInsert)
        table->Post();
    else if (dmQuelm)
        dmQuelm->ConfirmOn();
}

TTable* CloneTable(TTable* table)
{
    auto* clone = new TTable();
    clone->DatabaseName = table->DatabaseName;
    clone->TableName = table->TableName;
    clone->IndexFieldNames = table->IndexFieldNames;
    clone->Open();
    clone->First();
    return clone;
}

void CopyFieldValues(TDataSet* source, TDataSet* target)
{
    for (int i = 0; i < source->FieldCount(); ++i) {
        TField* field = target->Fields(i);
        if (SameText(field->FieldName(), "LOCKED"))
            field->SetAsString("No");
        else
            field->SetValue(source->Fields(i)->Value());
    }
}

void LocateIntegerKey(TDataSet* table, int value)
{
    for (table->First(); !table->Eof(); table->Next())
        if (table->Fields(0)->AsInteger() == value)
            return;
    table->First();
}

void EditComment(TDataSource* source)
{
    std::unique_ptr<TfrmComment> form(New<TfrmComment>(nullptr));
    form->SetDataSource(source);
    form->ShowModal();
}

namespace {

// The copy of the rows with one key under another key; `matches` and `setKey` know the key's
// type.
bool CopyRecords(TTable* table, const std::function<bool(TField*)>& matches, const std::function<void(TField*)>& setKey,
                 const String& keyField)
{
    std::unique_ptr<TfrmCopyProgress> progress(New<TfrmCopyProgress>(nullptr));
    progress->Show();
    progress->ShowScanned(0);
    progress->ShowCopied(0);
    table->Close();
    try {
        // All rows in one transaction (or within the caller's): a failure copies nothing.
        TdmQuelm::TTransactionScope transaction(table->Database());
        std::unique_ptr<TTable> reader(CloneTable(table));
        std::unique_ptr<TTable> writer(CloneTable(table));
        int scanned = 0;
        int copied = 0;
        // The reader holds the rows as they were when it opened, so a copied row is never
        // met (and copied) again.
        while (!reader->Eof()) {
            if (matches(reader->FieldByName(keyField))) {
                writer->Insert();
                CopyFieldValues(reader.get(), writer.get());
                setKey(writer->FieldByName(keyField));
                writer->Post();
                progress->ShowCopied(++copied);
            }
            reader->Next();
            progress->ShowScanned(++scanned);
        }
        transaction.Commit();
    } catch (...) {
        table->Open();
        throw;
    }
    progress.reset();
    table->Open();
    return true;
}

} // namespace

bool CopyRecordsWithKey(TTable* table, const String& keyField, const String& oldKey, const String& newKey)
{
    return CopyRecords(
        table, [&](TField* f) { return f->AsString() == oldKey; }, [&](TField* f) { f->SetAsString(newKey); },
        keyField);
}

bool CopyRecordsWithIntegerKey(TTable* table, const String& keyField, int oldKey, int newKey)
{
    return CopyRecords(
        table, [&](TField* f) { return !f->IsNull() && f->AsInteger() == oldKey; },
        [&](TField* f) { f->SetAsInteger(newKey); }, keyField);
}
