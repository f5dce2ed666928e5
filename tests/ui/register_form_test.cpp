// "Vydaná výrobní čísla" as a form, without a window: the rows of one type code, their order by
// sequence, and the row picked.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "serial/serial_number.h"
#include "support/installation_fixture.h"
#include "ui/register_form.h"

namespace lumo {
namespace {

using RegisterFormTest = test::InstallationTest;

TEST_F(RegisterFormTest, ListsOneTypeSortsBySequenceAndGivesThePickedRow) {
    RegisterForm form;
    EXPECT_FALSE(form.open(48));  // no register configured: reported, no dialog

    std::filesystem::create_directory(dir.path() / "reg");
    std::ofstream(dir.path() / "sn.dat") << (dir.path() / "reg").string();
    const PackedDate date = packDate(1, 2, 2021);
    const std::string s3 = SerialEncode(3, 48, date), s1 = SerialEncode(1, 48, date), s7 = SerialEncode(7, 48, date);
    std::ofstream(dir.path() / "reg" / "sernum_tesk.txt", std::ios::binary)
        << s3 << ";oprava;plošný spoj;2\r\n" << SerialEncode(4, 56, date) << ";;0\r\n" << s1 << ";;1\r\n" << s7 << ";sklad;1\r\n";
    ASSERT_TRUE(form.open(48));
    EXPECT_EQ(form.file.text, "sernum_tesk.txt");
    EXPECT_TRUE(form.file.readOnly);
    EXPECT_EQ(form.columns.front(), "výrobní číslo     ");
    auto serials = [&] {
        std::vector<std::string> shown;
        for (const auto& r : form.rows) shown.push_back(r.texts[0]);
        return shown;
    };
    EXPECT_EQ(serials(), (std::vector<std::string>{s7, s1, s3}));  // the last of the file on top
    EXPECT_EQ(form.rows[0].texts[1], "01.02.2021");
    EXPECT_EQ(form.pressOk(), kFormStaysOpen);  // no row current

    // Any header: by sequence; the current row and the check boxes go with their rows.
    form.current = 2;
    form.rows[0].checked = true;
    form.pressColumn(3);
    EXPECT_EQ(serials(), (std::vector<std::string>{s1, s3, s7}));
    EXPECT_EQ(form.current, 1);
    EXPECT_TRUE(form.rows[2].checked);
    EXPECT_FALSE(form.rows[0].checked || form.rows[1].checked);
    EXPECT_EQ(form.pressOk(), 1);
    EXPECT_EQ(form.chosen.serial, s3);
    EXPECT_EQ(form.chosen.note, "oprava");  // a note with ';': only the text before it
    EXPECT_EQ(form.chosen.medium, 0);       // "plošný spoj;2" is no number
}

}  // namespace
}  // namespace lumo
