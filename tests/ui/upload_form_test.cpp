// "Upload segment" as a form, without a window: the segments, what "Start" and "Bytes" take,
// and the upload that "Spustit" leads to.
#include <gtest/gtest.h>

#include <filesystem>

#include "service/jobs.h"
#include "support/sim_fixture.h"
#include "ui/upload_form.h"

namespace lumo {
namespace {

using UploadFormTest = test::SimTest;

TEST_F(UploadFormTest, RefusesFieldsWithoutAHexadecimalNumberBeforeAnythingIsSent) {
    startSim({"serial 7 4"});
    installSerialLine();
    addSerialModule(1, 7, 4);
    UploadForm form;
    EXPECT_FALSE(form.open(kSerialLine, 0, false));  // a line has no memory to read
    ASSERT_TRUE(form.open(kSerialLine, 1, false));
    EXPECT_FALSE(form.run.enabled);
    EXPECT_EQ(form.segments[2], (std::array<std::string, 3>{"sram", "0x400", "0x7FF"}));
    form.chooseSegment(2);
    EXPECT_TRUE(form.run.enabled);
    EXPECT_EQ(form.start.text, "400");
    EXPECT_EQ(form.bytes.text, "7FF");
    std::vector<const FormField*> reselected;
    form.reselect = [&](const FormField& f) { reselected.push_back(&f); };
    std::filesystem::resize_file(logPath(), 0);

    const struct {
        const char* start;
        const char* bytes;
        const char* refusal;  // nullptr: taken
    } cases[] = {
        {"400", "40", nullptr},
        {" 0x400 ", "+40", nullptr},
        {"100000000", "40", nullptr},  // beyond 32 bits: a number still, refused by the upload
        {"12G", "40", "Upozornění|Pole „Start“: zadejte šestnáctkové číslo, číslice 0-9 a A-F (zadáno „12G“)."},
        {"400", "", "Upozornění|Pole „Bytes“: zadejte šestnáctkové číslo, číslice 0-9 a A-F (zadáno „“)."},
        {"-1", "40", "Upozornění|Pole „Start“: zadejte šestnáctkové číslo, číslice 0-9 a A-F (zadáno „-1“)."},
    };
    for (const auto& c : cases) {
        ui.calls.clear();
        reselected.clear();
        form.start.text = c.start;
        form.bytes.text = c.bytes;
        EXPECT_EQ(form.pressRun(), c.refusal ? kFormStaysOpen : 1) << c.start << " " << c.bytes;
        EXPECT_EQ(ui.callsOf("message"), c.refusal ? std::vector<std::string>{c.refusal} : std::vector<std::string>{});
        EXPECT_EQ(reselected.size(), c.refusal ? 1u : 0u);
    }
    EXPECT_EQ(wire().received(), "");

    // Taken: the file chosen, then the upload as the background job.
    const std::string path = dir.str() + "/sram.bin";
    int mode = -1;
    form.chooseFile = [&](std::string& chosen, int asked) {
        mode = asked;
        chosen = path;
        return 1;
    };
    form.start.text = "400";
    form.bytes.text = "40";
    ASSERT_EQ(form.pressRun(), 1);
    EXPECT_EQ(form.finish(), 1);
    JobWait();
    EXPECT_EQ(mode, 0);
    EXPECT_EQ(std::filesystem::file_size(path), 0x40u);
    EXPECT_NE(wire().received().find("UPL|yyyyyyyy|0400|0040|"), std::string::npos) << wire().received();
}

}  // namespace
}  // namespace lumo
