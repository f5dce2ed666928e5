// "Download" as a form, without a window: the file chosen first, the warning, and the download
// that "Pokračovat" leads to.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "service/jobs.h"
#include "support/sim_fixture.h"
#include "ui/download_form.h"

namespace lumo {
namespace {

using DownloadFormTest = test::SimTest;

TEST_F(DownloadFormTest, WarnsAfterTheImageIsChosenAndLoadsIt) {
    startSim({"serial 7 4"}, {"--image-dir", dir.str()});
    installSerialLine();
    addSerialModule(1, 7, 4);
    const std::string image(300, 'L');
    const std::string path = dir.str() + "/firmware.bin";
    std::ofstream(path, std::ios::binary) << image;
    std::vector<int> modes;
    int answer = 0;
    DownloadForm form;
    form.chooseFile = [&](std::string& chosen, int mode) {
        modes.push_back(mode);
        chosen = path;
        return answer;
    };
    EXPECT_FALSE(form.open(kSerialLine, 1));  // no file chosen: no warning
    answer = 1;
    ASSERT_TRUE(form.open(kSerialLine, 1));
    EXPECT_EQ(modes, (std::vector<int>{1, 1}));  // an image file
    EXPECT_EQ(form.warning[2], "Připravte zařízení TQ300 pro downoad a stikněte pokračovat.");
    EXPECT_TRUE(form.version.enabled);  // a TQ300: the older hardware can be chosen
    EXPECT_EQ(form.version.text, "verze HW starší než 8 ");
    EXPECT_EQ(form.pressContinue(), 1);
    EXPECT_EQ(form.finish(), 1);
    JobWait();
    EXPECT_EQ(ui.callsOf("message").back().rfind("Download|Download byl úspěšně dokončen.", 0), 0u);
    std::ifstream in(dir.str() + "/image-7.bin", std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), image);
}

}  // namespace
}  // namespace lumo
