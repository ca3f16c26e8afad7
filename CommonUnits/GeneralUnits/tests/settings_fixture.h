#pragma once
// A registry store, a Windows folder and a database path of the test's own, with every
// message box recorded.
#include "CommonUnits/GeneralUnits/QuelmFileUtils.h"
#include "CommonUnits/GeneralUnits/Utils_Registry_Unit.h"

#include "platform/win/WinMessageBox.h"
#include "platform/testing/quelm_test_support.h"

#include <gtest/gtest.h>

class SettingsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        setenv("QUELM_REGISTRY_DIR", dir.file("registry").c_str(), 1);
        setenv("QUELM_WINDIR", dir.file("windows").c_str(), 1);
        setenv("QUELM_DATA_DIR", dir.file("data").c_str(), 1); // the user's own demo database
        SetDatabaseFileNameSource([this] { return databaseFile; });
    }
    void TearDown() override
    {
        SetDatabaseFileNameSource(nullptr);
        unsetenv("QUELM_REGISTRY_DIR");
        unsetenv("QUELM_WINDIR");
        unsetenv("QUELM_DATA_DIR");
    }
    std::vector<String> BoxTexts() const
    {
        std::vector<String> texts;
        for (const auto& box : boxes.Boxes())
            texts.push_back(box.Text);
        return texts;
    }

    quelmtest::TempDir dir;
    String databaseFile = dir.file("Projects.vantor");
    TMessageBoxInterceptor boxes;
};
