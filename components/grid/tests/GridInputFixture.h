#pragma once
// A string grid of lettered cells ("A0", "B0"... "F<last row>") on a form shown offscreen, with
// the focus, for tests that drive it with real Qt input through the framework stand-in.
#include "components/grid/PlusGrid.h"

#include "platform/framework/Forms.h"

#include <QApplication>
#include <QTest>
#include <gtest/gtest.h>

#include <memory>

class ShownGridTest : public ::testing::Test {
protected:
    // `defaultWidth`: the grid's default column width becomes `colWidth` too.
    ShownGridTest(int rows, int colWidth, bool defaultWidth)
        : rows_(rows), colWidth_(colWidth), defaultWidth_(defaultWidth)
    {
    }
    void SetUp() override
    {
        form = std::make_unique<TForm>(nullptr);
        form->SetBounds(0, 0, 520, 320);
        grid = new TPlusStringGrid(form.get());
        grid->SetParent(form.get());
        grid->SetBounds(0, 0, 500, 300);
        grid->SetColCount(6);
        grid->SetRowCount(rows_);
        if (defaultWidth_)
            grid->SetDefaultColWidth(colWidth_);
        for (int c = 0; c < grid->ColCount(); ++c)
            grid->SetColWidths(c, colWidth_);
        for (int r = 0; r < grid->RowCount(); ++r)
            for (int c = 0; c < grid->ColCount(); ++c)
                grid->SetCells(c, r, String(1, char('A' + c)) + IntToStr(r));
        form->Show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(form->Host()));
        grid->SetFocus();
        QApplication::processEvents();
    }
    void TearDown() override
    {
        QApplication::processEvents();
        form.reset();
    }
    QPoint Middle(int col, int row) const
    {
        const TRect r = grid->CellRect(col, row);
        return QPoint((r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2);
    }

    std::unique_ptr<TForm> form;
    TPlusStringGrid* grid = nullptr;

private:
    int rows_, colWidth_;
    bool defaultWidth_;
};
