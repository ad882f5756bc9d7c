// A product with its base control file loaded: Fixed1 (fixed), Sel1 (selection type) and MyApp
// (a saved user application in the groups "アプリケーション" and "アプリケーション\MyApp").
#pragma once

#include <gtest/gtest.h>

#include "manager/CtrlFile.h"
#include "manager/ProductFixture.h"

namespace tq::test {

class LoadedProductTest : public testing::Test, public CProductFixture {
protected:
    void SetUp() override {
        ASSERT_EQ(m_file.OpenProductKey(kProductPath), 0);
        ASSERT_EQ(m_file.Load(), 0);
    }
    CCtrlDatabase& Db(size_t i) { return *m_file.GetDatabase(i); }
    const CCtrlGroup* TopGroup(const std::string& name) {
        return m_file.m_groupSet.FindChildByName(&m_file.m_groupSet, name, false);
    }

    CCtrlFile m_file;
};

}  // namespace tq::test
