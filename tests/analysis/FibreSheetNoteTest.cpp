// The note an analysed model with fibre-sheet cells carries: counted from the set cells only.
#include "analysis/FibreSheetNote.h"

#include "analysis/TestModels.h"

#include <gtest/gtest.h>

using namespace torva;

TEST(FibreSheetNote, NamesTheCellsLeftOutAndIsEmptyWithoutThem) {
    auto model = test::GridModel(3, 2);
    test::FillConcrete(*model);
    EXPECT_EQ(FibreSheetNote(*model), "");
    test::Place(*model, 0, 0, kFibreLayer);
    EXPECT_EQ(FibreSheetNote(*model),
              "Fibre sheets are not analysed: the fibre sheet on 1 cell is left out.");
    test::Place(*model, 1, 0, kFibreLayer, 2);
    test::Place(*model, 2, 1, kFibreLayer);
    // A flag of 99 is a label, not a cell; positions outside the frame and other layers do not count.
    model->Flag(2, 3, kFibreLayer) = 99;
    model->Flag(40, 40, kFibreLayer) = 1;
    test::Place(*model, 1, 1, kRebarLayer);
    EXPECT_EQ(FibreSheetCellCount(*model), 3);
    EXPECT_EQ(FibreSheetNote(*model),
              "Fibre sheets are not analysed: the fibre sheet on 3 cells is left out.");
}
