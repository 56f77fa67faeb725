#include "app/modules.h"

#include "platform/unospreadsheet.h"

#include <gtest/gtest.h>

// The office bridge comes from its module, and its errors are still caught
// by type on this side of the module border: an export that fails must say
// why, not end in std::terminate.
TEST(Modules, OfficeModuleMakesASpreadsheetWhoseErrorsAreCaughtByType)
{
    std::unique_ptr<platform::Spreadsheet> office = createOfficeSpreadsheet({});
    ASSERT_NE(office, nullptr);
    try {
        office->worksheetCount();
        ADD_FAILURE() << "an office that was never started answered";
    } catch (const platform::SpreadsheetError& e) {
        EXPECT_EQ(e.reason(), QStringLiteral("LibreOffice ist nicht gestartet"));
    }
}

TEST(Modules, MissingModuleIsReportedNotFatal)
{
    QString error;
    EXPECT_EQ(resolveModuleFunction("pylonix_nonesuch", "pylonixCreate", &error), nullptr);
    EXPECT_TRUE(error.contains(QStringLiteral("pylonix_nonesuch"))) << error.toStdString();
}
