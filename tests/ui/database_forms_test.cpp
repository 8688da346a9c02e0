#include <gtest/gtest.h>

#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <filesystem>

#include "databases/forms/editor_form.h"
#include "platform/fake/fake_dialogs.h"
#include "platform/fake/fake_messages.h"
#include "tests/support/test_support.h"

namespace fs = std::filesystem;

namespace velkaro {
namespace {

const std::string kCircuits = "BaseDonn\u00E9esCircuits.bd";
const std::string kClubs = "BaseDonn\u00E9esClubs.bd";
const std::string kDrivers = "BaseDonn\u00E9esPilotes.bd";
const std::string kFrequencies = "BaseDonn\u00E9esFr\u00E9quences.bd";
const std::string kCountries = "BaseDonn\u00E9esPays.bd";

class DatabaseForms : public ::testing::Test {
  protected:
    void SetUp() override {
        test::FailOnUnexpectedMessages(messages);
        for (const std::string& f : {kCircuits, kClubs, kDrivers, kFrequencies}) Put(f, "");
        Put(kCountries, "France\t\r\nBelgium\t\r\nZ\xFCrichland\t\r\n");
    }
    void Put(const std::string& name, const std::string& bytes) {
        test::WriteWholeFile(folder.Path() / name, bytes);
    }
    std::string Get(const std::string& name) { return test::ReadWholeFile(folder.Path() / name); }

    template <typename W>
    static W* Control(QWidget& form, int id) {
        W* w = form.findChild<W*>(QString::number(id));
        EXPECT_NE(w, nullptr) << id;
        return w;
    }
    static void Add(QWidget& form, const QString& name) {
        auto* edit = Control<QLineEdit>(form, kNewEditId);
        edit->setText(name);  // what the keyboard gives: the field's limit applies
        Control<QPushButton>(form, kAddButtonId)->click();
    }
    static QStringList Listed(QWidget& form) {
        QStringList names;
        auto* list = Control<QListWidget>(form, kNameListId);
        for (int i = 0; i < list->count(); ++i) names << list->item(i)->text();
        return names;
    }
    static QString Id(QWidget& form) { return Control<QLineEdit>(form, kIdBoxId)->text(); }

    test::TempFolder folder;
    test::ScopedCurrentFolder here{folder.Path()};
    FakeMessages messages;
    FakeDialogs dialogs;
};

TEST_F(DatabaseForms, AddsAreSortedAndRefusedAndOkWritesTheListWithItsAccents) {
    DriversForm form(kDriversEditor, messages, dialogs, SystemDisk());
    messages.Expect(MessageAnswer::Ok);  // "alpha" is "Alpha" to the drivers list
    for (const char* name : {"zeta", "Alpha", "alpha", "(NA)", "\u00C9mile Z\u00F6e", " x"}) {
        Add(form, name);
    }
    EXPECT_EQ(Listed(form), (QStringList{"Alpha", "zeta", "\u00C9mile Z\u00F6e"}));
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text, "\"alpha\" is already in the list.");
    EXPECT_EQ(Id(form), "3");
    Control<QPushButton>(form, kOkId)->click();
    const std::string rest(12, '\t');
    EXPECT_EQ(Get(kDrivers), "Alpha\t" + rest + "\r\nzeta\t" + rest +
                                 "\r\n\xC9mile Z\xF6"
                                 "e\t" +
                                 rest + "\r\n");
}

TEST_F(DatabaseForms, DetailsFollowTheSelectionAndCancelWritesNothing) {
    const std::string before =
        "Oval\t250\t11.500\t11500\tAnne\t2\tLyon\t\t\r\nParc\t120\t\t0\t\t3\t\t\t\r\n";
    Put(kCircuits, before);
    CircuitsForm form(kCircuitsEditor, messages, dialogs, SystemDisk());
    EXPECT_EQ(Listed(form), (QStringList{"Oval", "Parc"}));
    EXPECT_EQ(Id(form), "1");
    EXPECT_EQ(Control<QLineEdit>(form, kFirstDetailId + 2)->text(), "Anne");
    Control<QListWidget>(form, kNameListId)->setCurrentRow(1);
    EXPECT_EQ(Id(form), "2");
    EXPECT_EQ(Control<QLineEdit>(form, kFirstDetailId)->text(), "120");
    Add(form, "Dune");
    Control<QListWidget>(form, kNameListId)->setCurrentRow(0);
    Control<QPushButton>(form, kRemoveButtonId)->click();
    EXPECT_EQ(Listed(form), (QStringList{"Oval", "Parc"}));
    Control<QPushButton>(form, kCancelId)->click();
    EXPECT_EQ(Get(kCircuits), before);
}

TEST_F(DatabaseForms, TheCircuitsRecordIsClearedAndItsPictureChosenWithTheMouse) {
    Put(kCircuits, "Oval\t250\t11.500\t11500\tAnne\t2\tLyon\t/old.bmp\t\r\n");
    dialogs.openAnswers.push_back(
        "/pictures/ov\xE9"
        "al.bmp");
    CircuitsForm form(kCircuitsEditor, messages, dialogs, SystemDisk());
    Control<QPushButton>(form, kClearRecordId)->click();
    EXPECT_EQ(Control<QLineEdit>(form, kFirstDetailId + 1)->text(), "");
    QTest::keyClicks(Control<QLineEdit>(form, kFirstDetailId + 4), " Nord");
    QTest::mouseDClick(&form, Qt::LeftButton, {}, QPoint(600, 100));
    Control<QPushButton>(form, kOkId)->click();
    EXPECT_EQ(Get(kCircuits),
              "Oval\t250\t\t0\t\t2\tLyon Nord\t/pictures/ov\xE9"
              "al.bmp\t\r\n");
    ASSERT_EQ(dialogs.openStarts.size(), 1u);

    CircuitsForm again(kCircuitsEditor, messages, dialogs, SystemDisk());
    QTest::mouseDClick(&again, Qt::RightButton, {}, QPoint(700, 190));
    QTest::mouseDClick(&again, Qt::LeftButton, {}, QPoint(530, 100));  // outside the picture
    Control<QPushButton>(again, kOkId)->click();
    EXPECT_EQ(Get(kCircuits), "Oval\t250\t\t0\t\t2\tLyon Nord\t\t\r\n");
    EXPECT_EQ(dialogs.openStarts.size(), 1u);
}

TEST_F(DatabaseForms, CountriesAndClubsAreChosenFromTheirFiles) {
    Put(kClubs, "RC Nord\t\t\t\t\t\t\t\t\t\r\nAlpha\t\t\t\t\t\t\t\t\t\r\n");
    Put(kDrivers, "Anne\t\t\t\t\tBelgium\t\t\t\t\t\tRC Nord\t\t\r\n");
    DriversForm form(kDriversEditor, messages, dialogs, SystemDisk());
    auto* country = Control<QComboBox>(form, kFirstDetailId + 4);
    auto* club = Control<QComboBox>(form, kFirstDetailId + 10);
    EXPECT_EQ(country->count(), 3);
    EXPECT_EQ(country->itemText(0), "Belgium");  // sorted
    EXPECT_EQ(country->currentText(), "Belgium");
    EXPECT_EQ(club->currentText(), "RC Nord");
    country->setCurrentIndex(country->findText("Z\u00FCrichland"));
    club->setCurrentIndex(club->findText("Alpha"));
    Control<QPushButton>(form, kOkId)->click();
    EXPECT_EQ(Get(kDrivers), "Anne\t\t\t\t\tZ\xFCrichland\t\t\t\t\t\tAlpha\t\t\r\n");
}

TEST_F(DatabaseForms, MissingFilesAreReportedAndFrequenciesNeedSixCharacters) {
    fs::remove(folder.Path() / kFrequencies);
    messages.Expect(MessageAnswer::Ok);
    FrequenciesForm form(kFrequenciesEditor, messages, dialogs, SystemDisk());
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text, "Error: Frequencies database file not found");
    EXPECT_EQ(Id(form), "1");
    Add(form, "40.66");
    Add(form, "40.6651");  // "New" takes six
    Add(form, "27.045");
    EXPECT_EQ(Listed(form), (QStringList{"27.045", "40.665"}));
    Control<QPushButton>(form, kOkId)->click();
    EXPECT_EQ(Get(kFrequencies), "27.045\r\n40.665\r\n");
}

}  // namespace
}  // namespace velkaro
