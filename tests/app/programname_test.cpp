#include "app/programname.h"

#include <gtest/gtest.h>

namespace {

TEST(ProgramBaseName, IsTheExecutablesFileNameSoEveryCopyKeepsItsOwnSettings)
{
    const std::pair<const char*, const char*> cases[] = {
        {"/opt/pylonix/Pylonix", "Pylonix"},
        {"/media/stick/Pylonix.bahn1", "Pylonix.bahn1"},
        {"/media/stick/Pylonix.bahn2", "Pylonix.bahn2"},
        {"Pylonix", "Pylonix"},
    };
    for (const auto& [path, name] : cases)
        EXPECT_EQ(programBaseName(QString::fromLatin1(path)), QString::fromLatin1(name)) << path;
}

}  // namespace
