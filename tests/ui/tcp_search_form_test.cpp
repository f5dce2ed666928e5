// "Vyhledání TCP zařízení" as a form, without a window: the answers as they come, the list after
// the search, and the search ended early.
#include <gtest/gtest.h>

#include "base/app_state.h"
#include "model/installation.h"
#include "support/installation_fixture.h"
#include "support/sim_process.h"
#include "ui/tcp_search_form.h"

namespace lumo {
namespace {

using TcpSearchFormTest = test::InstallationTest;

TEST_F(TcpSearchFormTest, ListsTheAnswersAndSavesThemAsLines) {
    test::SimProcess server({"--device-server", "127.0.0.49/11/441560110049/00-4F-49-0D-00-49"}, dir.str() + "/search.log");
    appState().adapterAddress = "127.0.0.1";  // the search goes to 127.0.0.255
    TcpSearchForm form;
    form.open();
    std::vector<bool> enabledWhileSearching;
    form.showNow = [&] { enabledWhileSearching = {form.search.enabled, form.save.enabled}; };
    std::vector<std::string> arrived;
    form.arrived = [&](const TcpSearchForm::Row& r) {
        arrived.push_back(r.texts[1]);
        form.stop();  // as the window closing does: no 10 s of quiet
    };
    form.pressSearch();
    EXPECT_EQ(enabledWhileSearching, (std::vector<bool>{false, false}));
    EXPECT_EQ(arrived, std::vector<std::string>{"441560110049"});
    ASSERT_EQ(form.list.size(), 1u);
    EXPECT_EQ(form.list[0].texts[3], "127.0.0.49");
    EXPECT_EQ(form.list[0].tip, "");
    EXPECT_TRUE(form.search.enabled && form.save.enabled);
    EXPECT_EQ(form.pressClose(), 0);
    form.pressSave();
    EXPECT_EQ(form.pressClose(), 1);
    LineRecord line;
    EXPECT_TRUE(readLineRecord(0, line));
}

}  // namespace
}  // namespace lumo
