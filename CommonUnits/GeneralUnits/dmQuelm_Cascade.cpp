// Changes that must happen whole: the transaction scope of the data module, the delete of a
// project with its runs as one change and the run files that go with a deleted run; and the
// module's handlers taken away before its tables go.
#include "CommonUnits/GeneralUnits/dmQuelm_Unit.h"

#include "CommonUnits/GeneralUnits/QuelmFileUtils.h"

void TdmQuelm::ConnectDeleteEvents()
{
    tblProjects->AfterDelete = [this](TDataSet*) { FinishProjectDelete(true); };
    tblProjects->OnDeleteError = [this](TDataSet*, EDatabaseError&, TDataAction&) { FinishProjectDelete(false); };
    tblRuns->AfterDelete = [this](TDataSet*) {
        if (projectDelete_)
            deletedRuns_.push_back(deletingRun_);
        else
            DeleteAllRunFiles(deletingRun_);
    };
}

// Commits the project delete and then removes the files of its runs, or rolls everything
// back and shows the runs again.
void TdmQuelm::FinishProjectDelete(bool committed)
{
    std::vector<int> runs;
    runs.swap(deletedRuns_);
    if (!projectDelete_)
        return;
    if (committed) {
        projectDelete_->Commit();
        projectDelete_.reset();
        for (int runId : runs)
            DeleteAllRunFiles(runId);
        return;
    }
    projectDelete_.reset();
    if (tblRuns->Active())
        tblRuns->Refresh();
}

void TdmQuelm::DisconnectEvents()
{
    for (TTable* t : tableList_) {
        t->BeforeInsert = t->AfterInsert = t->BeforeEdit = t->BeforePost = t->AfterPost = nullptr;
        t->AfterCancel = t->BeforeDelete = t->AfterDelete = nullptr;
        t->OnPostError = t->OnDeleteError = nullptr;
    }
}

// ---------------------------------------------------------------- transactions

TdmQuelm::TTransactionScope::TTransactionScope(TDatabase* database) : database_(database)
{
    if (database_ && database_->Connected() && !database_->InTransaction()) {
        database_->StartTransaction();
        owns_ = true;
    }
}

TdmQuelm::TTransactionScope::~TTransactionScope()
{
    if (!owns_ || !database_->InTransaction())
        return;
    try {
        database_->Rollback();
    } catch (...) {
    }
}

void TdmQuelm::TTransactionScope::Commit()
{
    if (owns_ && database_->InTransaction())
        database_->Commit();
    owns_ = false;
}
