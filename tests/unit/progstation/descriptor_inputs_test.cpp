// descriptor_inputs_test.cpp: Customize.ini's load rules and the "&Rev C Inputs" flow behind the login: the file as the dialog's source, the identifier filter, the empty-field checks, padding, and characters the adapter cannot carry.
#include <gtest/gtest.h>

#include <fstream>

#include "progstation/descriptor_inputs.h"
#include "tests/unit/progstation/station_fixture.h"

using namespace lt;
using namespace lt::test;
using ui::Icon;

namespace {

struct DescriptorTest : StationTest {
    std::string custom(const std::string& key) { return read("Customize.ini", "Strings", key); }
    std::filesystem::path customFile() { return drive.host(windowsFile("Customize.ini")); }
    std::string customText() {
        std::ifstream in(customFile(), std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    void writeCustom(const std::string& text) { std::ofstream(customFile(), std::ios::binary) << text; }

    // Clicks "&Rev C Inputs", logs in with the default password and runs `script` in the
    // inputs dialog.
    void revC(ChildScript script) {
        view->onChild(IDD_LOGIN_STATION, [](FakeDialog& login) {
            login.type("tpw731");
            login.pressEnter();
        });
        view->onChild(IDD_REV_C_INPUTS, std::move(script));
        view->click(IDC_REV_C_INPUTS);
    }
    std::vector<std::string> writesTo(const std::string& file) {
        std::vector<std::string> writes;
        for (const auto& e : fileLog)
            if (e.rfind("write " + file, 0) == 0) writes.push_back(e.substr(7 + file.size()));
        return writes;
    }
};

const char* const kKeys[] = {"MANUFACTURERID", "PRODUCTID", "VID", "PID", "LANGGUAGEID"};

}  // namespace

TEST_F(DescriptorTest, aNewStationCreatesTheFileWithTheTwoNamesFirstAndTheDefaults) {
    start();
    EXPECT_EQ(writesTo("Customize.ini"),
              (std::vector<std::string>{"[strings] MANUFACTURER=MfgName", "[strings] PROVIDER=ProviderName",
                                        "[strings] MANUFACTURERID=Korvane Semiconductor",
                                        "[strings] PRODUCTID=USB-MAC Controller", "[strings] VID=8207",
                                        "[strings] PID=6514", "[strings] LANGGUAGEID=0409"}));
    EXPECT_EQ(customText().substr(0, 11), "[strings]\r\n");
    EXPECT_EQ(custom("LANGGUAGEID"), "0409");
}

TEST_F(DescriptorTest, aMissingOrEmptyKeyTakesItsDefaultWhichIsWrittenBackAndTheOthersStay) {
    for (const char* emptyOrMissing : {"missing", "empty"}) {
        SCOPED_TRACE(emptyOrMissing);
        writeCustom(std::string("[Strings]\r\nMANUFACTURERID=Acme\r\nPRODUCTID=Widget\r\nVID=1234\r\n") +
                    (std::string(emptyOrMissing) == "empty" ? "PID=\r\n" : "") + "LANGGUAGEID=0407\r\n");
        fileLog.clear();
        start();
        EXPECT_EQ(view->text(IDC_MANUFACTURER), "Acme");
        EXPECT_EQ(view->text(IDC_PRODUCT), "Widget");
        EXPECT_EQ(view->text(IDC_VID), "1234");
        EXPECT_EQ(view->text(IDC_PID), "6514");
        EXPECT_EQ(view->text(IDC_LANGUAGE_ID), "0407");
        EXPECT_EQ(custom("PID"), "6514");
        EXPECT_EQ(writesTo("Customize.ini"), std::vector<std::string>{"[strings] PID=6514"});
    }
}

TEST_F(DescriptorTest, theReadOnlyAttributeIsClearedBeforeEveryAccess) {
    start();
    std::filesystem::permissions(customFile(), std::filesystem::perms::owner_write, std::filesystem::perm_options::remove);
    fileLog.clear();
    start();
    EXPECT_NE(std::filesystem::status(customFile()).permissions() & std::filesystem::perms::owner_write,
              std::filesystem::perms::none);
    std::vector<std::string> customAccess;
    for (const auto& e : fileLog)
        if (e.find("Customize.ini") != std::string::npos) customAccess.push_back(e.substr(0, e.find(' ')));
    EXPECT_EQ(customAccess, (std::vector<std::string>{"clear", "read", "clear", "read", "clear", "read", "clear",
                                                      "read", "clear", "read"}));
}

TEST_F(DescriptorTest, noWindowsDirectoryBringsTheMessageAndTheDefaults) {
    system.windows.reset();
    start();
    ASSERT_EQ(view->messages().size(), 1u);
    EXPECT_EQ(view->messages()[0].text, "Cannot retrieve file path");
    EXPECT_EQ(view->messages()[0].icon, Icon::None);
    EXPECT_EQ(view->messages()[0].buttons, ui::Buttons::Ok);
    EXPECT_EQ(view->text(IDC_MANUFACTURER), "Korvane Semiconductor");
    EXPECT_EQ(writesTo("Customize.ini"), std::vector<std::string>{});
}

TEST_F(DescriptorTest, revCInputsShowTheFileNotTheStationsCopyAndOkPadsTheVidInFileAndBox) {
    start();
    write("Customize.ini", "Strings", "PRODUCTID", "Changed Elsewhere");
    std::array<std::string, 5> shown;
    std::string vidAfterOk;
    revC([&](FakeDialog& d) {
        for (int i = 0; i < 5; ++i) shown[i] = d.text(progstation::descriptorFields()[i].boxId);
        EXPECT_EQ(d.control(IDC_MANUFACTURER).limit, 21u);
        EXPECT_EQ(d.control(IDC_VID).limit, 4u);
        d.setText(IDC_VID, "");
        d.moveFocus(IDC_VID);
        d.type("97");
        d.click(ui::kIdOk);
        vidAfterOk = d.text(IDC_VID);
        EXPECT_TRUE(d.ended());
    });
    EXPECT_EQ(shown, (std::array<std::string, 5>{"Korvane Semiconductor", "Changed Elsewhere", "8207", "6514", "0409"}));
    EXPECT_EQ(vidAfterOk, "0097");
    EXPECT_EQ(custom("VID"), "0097");
    EXPECT_EQ(view->text(IDC_VID), "0097");
    EXPECT_EQ(view->text(IDC_PRODUCT), "Changed Elsewhere");
    EXPECT_EQ(station->data().descriptors.vid, "0097");
    std::vector<std::string> keys;
    for (const auto& w : writesTo("Customize.ini")) keys.push_back(w.substr(10, w.find('=') - 10));
    EXPECT_EQ(std::vector<std::string>(keys.end() - 5, keys.end()), std::vector<std::string>(kKeys, kKeys + 5));
}

TEST_F(DescriptorTest, theIdentifierBoxesTakeOnlyHexDigitsInCapitals) {
    start();
    revC([&](FakeDialog& d) {
        d.setText(IDC_PID, "");
        d.moveFocus(IDC_PID);
        d.type("g-a1");
        EXPECT_EQ(d.text(IDC_PID), "A1");
        EXPECT_EQ(d.session().beeps, 2);
        d.moveFocus(IDC_MANUFACTURER);
        d.type("-g");  // the strings take any character
        EXPECT_EQ(d.text(IDC_MANUFACTURER), "Korvane Semiconductor");  // at the limit of 21
        d.click(ui::kIdCancel);
    });
    EXPECT_EQ(custom("PID"), "6514") << "Cancel changes nothing";
}

TEST_F(DescriptorTest, okReportsOnlyTheFirstEmptyFieldAndStaysOpen) {
    start();
    revC([&](FakeDialog& d) {
        d.setText(IDC_PRODUCT, "");
        d.setText(IDC_VID, "");
        d.click(ui::kIdOk);
        EXPECT_FALSE(d.ended());
        ASSERT_EQ(d.messages().size(), 1u);
        EXPECT_EQ(d.messages()[0].text, "Please Enter Valid Product ID");
        EXPECT_EQ(d.messages()[0].caption, "Error");
        EXPECT_EQ(d.messages()[0].icon, Icon::None);
        EXPECT_EQ(d.focused(), IDC_PRODUCT);
        d.click(ui::kIdCancel);
    });
    EXPECT_EQ(view->text(IDC_PRODUCT), "USB-MAC Controller");
}

TEST_F(DescriptorTest, eachEmptyFieldHasItsOwnMessageAndFocus) {
    start();
    for (std::size_t field = 0; field < 5; ++field) {
        const auto& f = progstation::descriptorFields()[field];
        revC([&](FakeDialog& d) {
            d.setText(f.boxId, "");
            d.click(ui::kIdOk);
            ASSERT_FALSE(d.messages().empty());
            EXPECT_EQ(d.messages().back().text, f.emptyMessage);
            EXPECT_EQ(d.focused(), f.boxId);
            d.click(ui::kIdCancel);
        });
    }
}

TEST_F(DescriptorTest, aLoginThatDoesNotPassShowsNoInputs) {
    start();
    view->onChild(IDD_LOGIN_STATION, [](FakeDialog& login) { login.click(IDC_LOGIN_EXIT); });
    view->click(IDC_REV_C_INPUTS);
    EXPECT_EQ(view->session().childrenRun, std::vector<int>{IDD_LOGIN_STATION});
}

TEST_F(DescriptorTest, aStringFromTheFileLongerThanTwentyOneCharactersIsShownAndRefusedAtOk) {
    start();
    write("Customize.ini", "Strings", "MANUFACTURERID", "Korvane Semiconductor Ltd");
    revC([&](FakeDialog& d) {
        EXPECT_EQ(d.text(IDC_MANUFACTURER), "Korvane Semiconductor Ltd");
        d.click(ui::kIdOk);
        ASSERT_EQ(d.messages().size(), 1u);
        EXPECT_EQ(d.messages()[0].text, "Please enter no more than 21 characters.");
        EXPECT_EQ(d.messages()[0].icon, Icon::Exclamation);
        EXPECT_FALSE(d.ended());
        d.click(ui::kIdCancel);
    });
}

TEST_F(DescriptorTest, aStringCharacterTheAdapterCannotCarryIsRefusedAtOk) {
    start();
    revC([&](FakeDialog& d) {
        d.setText(IDC_PRODUCT, "Caf\xE9 Adapter");
        d.click(ui::kIdOk);
        ASSERT_EQ(d.messages().size(), 1u);
        EXPECT_NE(d.messages()[0].text.find("Product ID"), std::string::npos);
        EXPECT_NE(d.messages()[0].text.find("ASCII"), std::string::npos);
        EXPECT_EQ(d.focused(), IDC_PRODUCT);
        EXPECT_FALSE(d.ended());
        d.click(ui::kIdCancel);
    });
    EXPECT_EQ(custom("PRODUCTID"), "USB-MAC Controller");
}

TEST_F(DescriptorTest, anIdentifierOfZeroAndOneOfFourDigitsAreAccepted) {
    start();
    revC([&](FakeDialog& d) {
        d.setText(IDC_VID, "0");
        d.setText(IDC_PID, "ABCD");
        d.setText(IDC_LANGUAGE_ID, "7");
        d.click(ui::kIdOk);
    });
    EXPECT_EQ(custom("VID"), "0000");
    EXPECT_EQ(custom("PID"), "ABCD");
    EXPECT_EQ(custom("LANGGUAGEID"), "0007");
}
