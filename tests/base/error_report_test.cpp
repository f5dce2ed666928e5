#include <gtest/gtest.h>

#include "base/error_report.h"
#include "platform/system_error.h"
#include "support/installation_fixture.h"
#include "actions/action_errors.h"

namespace lumo {
namespace {

using ErrorReport = test::InstallationTest;

TEST_F(ErrorReport, MessagesCaptionsAndFatalPath) {
    const struct {
        ErrorCode code;
        std::uint32_t system;
        const char* message;  // the recorded "CAPTION|TEXT"
        bool destroys;
    } cases[] = {
        {0, 5, "CHYBA !|Neznámá chyba... \n Err.code: 00000000:00000005", false},
        {0x01028d02, 0, "Kritická CHYBA !|Otevření souboru: LINE.CFG \n Err.code: 01028d02:00000000", true},
        {0x00000c08, 0, "CHYBA !|Neznámá chyba...: TERMINAL.DAT \n Err.code: 00000c08:00000000", false},
        {0x01018102, 13, "Kritická CHYBA !|Otevření souboru: CONFIG.DAT \n Err.code: 01018102:0000000d", true},
        {0x10010701, 16, "CHYBA !|Otevření portu: COM nebo TCP \n Err.code: 10010701:00000010", false},
        {0x02020d06, 0, "CHYBA !|Čtení ze souboru: LINE.CFG \n Err.code: 02020d06:00000000", false},
        {0xffff0002, 2, "CHYBA !|Systémová chyba \n Err.code: ffff0002:00000002", false},
        {0x04ff0015, 0, "CHYBA !|Alokace paměti \n Err.code: 04ff0015:00000000", false},
        {0x20050000, 0, "CHYBA !|Error NET adapter \n Err.code: 20050000:00000000", false},
        // The register of serial numbers has a context of its own.
        {0x01011001, 11, "CHYBA !|Otevření souboru: SEZNAM VÝROBNÍCH ČÍSEL \n Err.code: 01011001:0000000b", false},
        // Contexts the system never sets carry no suffix.
        {0x02010300, 0, "CHYBA !|Zápis do souboru \n Err.code: 02010300:00000000", false},
        {0x12340000, 0, "CHYBA !|Neznámá chyba... \n Err.code: 12340000:00000000", false},
    };
    for (const auto& c : cases) {
        ui.calls.clear();
        setError(c.code);
        platform::setLastSystemError(c.system);
        reportError();
        std::vector<std::string> expected = {std::string("message ") + c.message};
        if (c.destroys) expected.push_back("destroy");
        EXPECT_EQ(ui.calls, expected) << std::hex << c.code;
        EXPECT_EQ(pendingError(), 0u);
        EXPECT_EQ(platform::lastSystemError(), 0u);
    }
}

TEST_F(ErrorReport, NothingPendingShowsNothing) {
    reportError();
    EXPECT_TRUE(ui.calls.empty());
}

TEST_F(ErrorReport, CallersCombineContextIntoTheLowLevelCode) {
    setError(err::kOpenForWrite);
    combineError(err::kAddLineWrite);
    EXPECT_EQ(pendingError(), 0x01010d02u);
}

}  // namespace
}  // namespace lumo

namespace lumo {
namespace {

// Discarding a failure discards its system error value too: a later report never shows a
// value left over from an earlier, unrelated call (the ENOENT of a missing "line.cfg").
TEST(ErrorRecordTest, ClearingTheCodeClearsTheSystemValue) {
    setError(err::kOpenForRead);
    platform::setLastSystemError(2);
    EXPECT_EQ(currentError(), (ErrorRecord{err::kOpenForRead, 2}));
    clearError();
    EXPECT_TRUE(currentError().empty());
    setError(0x03020702);
    EXPECT_EQ(takeError(), (ErrorRecord{0x03020702, 0}));
    EXPECT_TRUE(currentError().empty());
}

}  // namespace
}  // namespace lumo
