#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QSpinBox>
#include <QTabWidget>
#include <QTimer>
#include <QTreeWidget>
#include <deque>
#include <functional>

#include "app/app_test_support.h"
#include "app/command_table.h"
#include "core/strings.h"
#include "editor/qt_test_support.h"
#include "gui/scripted_messages.h"
#include "gui/dialogs/config_page_key.h"
#include "gui/dialogs/preferences_sheet.h"

namespace zema {
namespace {

using test::qtApp;

constexpr uint32_t kNoPort = 0xFFFFFFFFu;

QString q(std::u16string_view text) { return QString::fromStdU16String(std::u16string(text)); }

// A sheet over two MIDI ports and a small menu, with every prompt scripted:
// messages are recorded and answered from `answers` (OK when empty).
class PreferencesSheetTest : public ::testing::Test, protected test::ScriptedMessages {
protected:
    void SetUp() override { (void)qtApp(); }

    PreferencesInput makeInput()
    {
        PreferencesInput input;
        input.values.settings.porta = 1;
        input.values.keys = defaultAccelerator();
        input.menu = MenuNode{u"", 0,
                              {{u"ファイル(&F)", 0,
                                {{u"新規作成(&N)", command::kFileNew, {}},
                                 {u"開く(&O)", command::kFileOpen, {}},
                                 {u"上書き保存(&S)", command::kFileSave, {}}}},
                               {u"環境設定(&C)", 32897, {}}}};
        input.midiPorts = {u"Port A", u"Port B"};
        input.synthAvailable = true;
        input.location = SettingsLocation{folder.path()};
        FileAssociation association;
        association.dataFolder = folder.path() / "data";
        association.programPath = folder.path() / "zema";
        association.refresh = [](const std::filesystem::path&) {};
        input.association = association;
        input.message = prompt();
        input.openFile = [this](const QString& title, const QString& filter, const QString&) {
            fileDialogs.push_back({title, filter});
            return openPath;
        };
        input.chooseFont = [](const QFont&) { return std::optional<QFont>(QFont(QStringLiteral("Test Mono"), 14)); };
        return input;
    }

    // Runs the sheet modally; `edit` works on it while it is shown, then `button` closes it.
    std::optional<PreferencesValues> run(const PreferencesInput& input, std::function<void(CPreferencesSheet&)> edit,
                                         const char* button)
    {
        bool ran = false;
        QTimer::singleShot(0, [&] {
            auto* sheet = qobject_cast<CPreferencesSheet*>(QApplication::activeModalWidget());
            ASSERT_NE(sheet, nullptr);
            edit(*sheet);
            child<QPushButton>(*sheet, button)->click();
            ran = true;
        });
        auto result = runPreferencesSheet(nullptr, input);
        EXPECT_TRUE(ran);
        return result;
    }

    template <class W>
    static W* child(const QWidget& parent, const char* name)
    {
        W* widget = parent.findChild<W*>(QString::fromLatin1(name));
        EXPECT_NE(widget, nullptr) << name;
        return widget;
    }

    static QTreeWidgetItem* rowOf(const CPreferencesSheet& sheet, int32_t command)
    {
        auto* list = child<QTreeWidget>(sheet, "IDC_LST_KEY");
        for (int i = 0; i < list->topLevelItemCount(); ++i) {
            if (list->topLevelItem(i)->data(0, Qt::UserRole).toInt() == command) return list->topLevelItem(i);
        }
        return nullptr;
    }

    struct FileDialog {
        QString title;
        QString filter;
    };
    test::TempFolder folder;
    std::vector<FileDialog> fileDialogs;
    QString openPath;
};

TEST_F(PreferencesSheetTest, OkReturnsTheEditedOutputAndKeys)
{
    const auto result = run(
        makeInput(),
        [](CPreferencesSheet& sheet) {
            auto* output = child<QComboBox>(sheet, "IDC_CMB_OUTPUT");
            EXPECT_EQ(output->currentIndex(), 2);  // PORTA 1 is the second port
            EXPECT_EQ(output->count(), 5);
            output->setCurrentIndex(3);  // the synthesizer with the GM set

            // Ctrl+O moves from Open to New: Open shows "not assigned" at once.
            ASSERT_TRUE(sheet.keyPage().selectCommand(command::kFileNew));
            child<QComboBox>(sheet, "IDC_CMB_KEY")->setCurrentText(QStringLiteral("O"));
            EXPECT_EQ(rowOf(sheet, command::kFileNew)->text(1), QStringLiteral("Ctrl+O"));
            EXPECT_EQ(rowOf(sheet, command::kFileOpen)->text(1), q(loadString("IDS_CFG_KEY_NOTASSIGNED")));
            // A modifier changes the entry as well.
            ASSERT_TRUE(sheet.keyPage().selectCommand(command::kFileSave));
            child<QCheckBox>(sheet, "IDC_CHK_ALT")->setChecked(true);
            EXPECT_EQ(rowOf(sheet, command::kFileSave)->text(1), QStringLiteral("Ctrl+Alt+S"));
            // The configuration command has no key; choosing none keeps it so.
            ASSERT_TRUE(sheet.keyPage().selectCommand(32897));
            EXPECT_EQ(child<QComboBox>(sheet, "IDC_CMB_KEY")->currentIndex(), 0);
        },
        "IDOK");
    ASSERT_TRUE(result.has_value());
    EXPECT_EQ(result->settings.outputDls, 2);
    EXPECT_EQ(result->settings.porta, kNoPort);
    ASSERT_NE(result->keys.find(command::kFileNew), nullptr);
    EXPECT_EQ(*result->keys.find(command::kFileNew), (KeyAssign{'O', true, false, false}));
    EXPECT_EQ(result->keys.find(command::kFileOpen), nullptr);
    EXPECT_EQ(*result->keys.find(command::kFileSave), (KeyAssign{'S', true, true, false}));
    EXPECT_EQ(result->keys.find(32897), nullptr);

    const PreferencesChanges changes = diffPreferences(makeInput().values, *result);
    EXPECT_TRUE(changes.reopenOutput);
    EXPECT_FALSE(changes.reloadPresets);
    EXPECT_TRUE(changes.keysChanged);
}

TEST_F(PreferencesSheetTest, CancelReturnsNothing)
{
    const auto result = run(
        makeInput(),
        [](CPreferencesSheet& sheet) {
            child<QComboBox>(sheet, "IDC_CMB_OUTPUT")->setCurrentIndex(0);
            child<QSpinBox>(sheet, "IDC_EDT_TRACK_COUNT")->setValue(9);
        },
        "IDCANCEL");
    EXPECT_FALSE(result.has_value());
}

TEST_F(PreferencesSheetTest, UntouchedSheetGivesBackItsInput)
{
    PreferencesInput input = makeInput();
    Settings& s = input.values.settings;
    s.defaultTrackCount = 7;
    s.windowStyle = 1;
    s.defaultTimeBase = 480;
    s.statFrameRate = 60;
    s.enableGdiPlus = true;
    s.compact = false;
    s.autoSave = false;
    s.ifNotSpecifyTpqn = true;
    s.specificTpqn = 120;
    s.resetType = 5;
    s.instrumentsFile = u"Presets\\MSXspirit.def";
    s.disableGmPresets = true;
    s.dlsFilePath = u"/banks/a.sf2";
    s.samplingRate = 0;
    s.dlsChannel = 0;
    s.dlsVolume = 35;
    s.enableChorus = true;
    s.editorFontName = u"IPAGothic";
    s.editorFontSize = 11;
    for (int32_t kind : {0, 1, 2}) {
        s.outputDls = kind;
        CPreferencesSheet sheet(input);
        const PreferencesValues values = sheet.values();
        Settings expected = s;
        if (kind != 0) expected.porta = kNoPort;  // a synthesizer entry carries no port
        EXPECT_EQ(values.settings, expected) << "kind " << kind;
        EXPECT_EQ(values.keys.keys(), input.values.keys.keys());
        EXPECT_EQ(diffPreferences(input.values, values).reopenOutput, kind != 0) << "kind " << kind;
    }
}

TEST_F(PreferencesSheetTest, EveryControlExistsWithItsText)
{
    CPreferencesSheet sheet(makeInput());
    EXPECT_EQ(sheet.windowTitle(), q(loadString("IDS_CFG_TITLE")));
    const char* pageSymbols[] = {"IDD_CONFIG_GENERAL", "IDD_CONFIG_FILE", "IDD_CONFIG_MIDI", "IDD_CONFIG_DLS",
                                 "IDD_CONFIG_KEY"};
    const char* pageTitles[] = {"IDS_CFG_GEN_TITLE", "IDS_CFG_FILE_TITLE", "IDS_CFG_MIDI_TITLE",
                                "IDS_CFG_DLS_TITLE", "IDS_CFG_KEY_TITLE"};
    ASSERT_EQ(sheet.tabs().count(), 5);
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(sheet.tabs().widget(i)->objectName(), QString::fromLatin1(pageSymbols[i]));
        EXPECT_EQ(sheet.tabs().tabText(i), q(loadString(pageTitles[i])));
    }

    // Every named label, button, check box and group carries a text of its own.
    int texted = 0;
    for (QWidget* widget : sheet.findChildren<QWidget*>()) {
        if (!widget->objectName().startsWith(QStringLiteral("ID"))) continue;
        QString text = QStringLiteral("-");
        if (auto* label = qobject_cast<QLabel*>(widget)) text = label->text();
        if (auto* button = qobject_cast<QAbstractButton*>(widget)) text = button->text();
        if (auto* group = qobject_cast<QGroupBox*>(widget)) text = group->title();
        texted += text != QStringLiteral("-") ? 1 : 0;
        EXPECT_FALSE(text.trimmed().isEmpty()) << widget->objectName().toStdString();
    }
    EXPECT_GE(texted, 39);
    // Value controls of the right kinds, filled.
    const auto* tracks = child<QSpinBox>(sheet, "IDC_EDT_TRACK_COUNT");
    EXPECT_EQ(std::pair(tracks->minimum(), tracks->maximum()), std::pair(1, 15));
    const std::pair<const char*, int> lists[] = {
        {"IDC_CMB_WINDOW_STYLE", 2}, {"IDC_CMB_TPQN", 6},        {"IDC_CMB_FRAMERATE", 2},
        {"IDC_CMB_ALPHABLEND", 2},   {"IDC_CMB_SPECIFIC_TPQN", 6}, {"IDC_CMB_OUTPUT", 5},
        {"IDC_CMB_RESET", 6},        {"IDC_CMB_SAMPLING_RATE", 4}, {"IDC_CMB_CHANNEL", 2},
        {"IDC_CMB_KEY", static_cast<int>(keyChoices().size())},
    };
    for (const auto& [name, count] : lists) {
        if (auto* box = child<QComboBox>(sheet, name)) {
            EXPECT_EQ(box->count(), count) << name;
        }
    }
    EXPECT_EQ(child<QSlider>(sheet, "IDC_SLD_VOLUME")->maximum(), 100);
    auto* list = child<QTreeWidget>(sheet, "IDC_LST_KEY");
    EXPECT_EQ(list->headerItem()->text(0), q(loadString("IDS_CFG_KEY_COL_MENU")));
    EXPECT_EQ(list->headerItem()->text(1), q(loadString("IDS_CFG_KEY_COL_KEY")));
    ASSERT_EQ(list->topLevelItemCount(), 4);
    EXPECT_EQ(list->topLevelItem(0)->text(0), QStringLiteral("ファイル(F)->[新規作成(N)]"));
    EXPECT_EQ(list->topLevelItem(3)->text(0), QStringLiteral("[環境設定(C)]"));
    EXPECT_TRUE(child<QPushButton>(sheet, "IDOK")->isDefault());
}

TEST_F(PreferencesSheetTest, PagesEditTheirSettings)
{
    PreferencesInput input = makeInput();
    input.page = PreferencesPage::Midi;
    CPreferencesSheet sheet(input);
    EXPECT_EQ(sheet.tabs().currentIndex(), 2);

    child<QSpinBox>(sheet, "IDC_EDT_TRACK_COUNT")->setValue(15);
    child<QPushButton>(sheet, "IDC_BTN_FONT")->click();
    EXPECT_EQ(child<QLabel>(sheet, "IDC_TXT_FONT")->text(), QStringLiteral("Test Mono, 14 pt"));
    child<QComboBox>(sheet, "IDC_CMB_TPQN")->setCurrentIndex(5);
    child<QComboBox>(sheet, "IDC_CMB_FRAMERATE")->setCurrentIndex(1);
    child<QComboBox>(sheet, "IDC_CMB_ALPHABLEND")->setCurrentIndex(0);
    child<QRadioButton>(sheet, "IDC_RDO_SPECIFIC_TPQN")->setChecked(true);
    EXPECT_TRUE(child<QComboBox>(sheet, "IDC_CMB_SPECIFIC_TPQN")->isEnabled());
    child<QComboBox>(sheet, "IDC_CMB_SPECIFIC_TPQN")->setCurrentIndex(1);
    child<QComboBox>(sheet, "IDC_CMB_RESET")->setCurrentIndex(3);
    openPath = QStringLiteral("sub/../presets.def");
    child<QPushButton>(sheet, "IDC_BTN_INSTRUMENTS")->click();
    openPath = QStringLiteral("/banks/x.sf2");
    child<QPushButton>(sheet, "IDC_BTN_DLS_FILE")->click();
    child<QComboBox>(sheet, "IDC_CMB_SAMPLING_RATE")->setCurrentIndex(3);
    child<QSlider>(sheet, "IDC_SLD_VOLUME")->setValue(40);
    EXPECT_EQ(child<QLabel>(sheet, "IDC_TXT_VOLUME")->text(), QStringLiteral("40%"));
    child<QCheckBox>(sheet, "IDC_CHK_DELAY")->setChecked(true);

    const Settings s = sheet.values().settings;
    EXPECT_EQ(s.defaultTrackCount, 15);
    EXPECT_EQ(s.editorFontName, u"Test Mono");
    EXPECT_EQ(s.editorFontSize, 14u);
    EXPECT_EQ(s.defaultTimeBase, 960);
    EXPECT_EQ(s.statFrameRate, 60);
    EXPECT_TRUE(s.enableGdiPlus);
    EXPECT_TRUE(s.ifNotSpecifyTpqn);
    EXPECT_EQ(s.specificTpqn, 48);
    EXPECT_EQ(s.resetType, 3);
    EXPECT_EQ(QString::fromStdU16String(s.instrumentsFile),
              QString::fromStdString((std::filesystem::current_path() / "presets.def").string()));
    EXPECT_EQ(s.dlsFilePath, u"/banks/x.sf2");
    EXPECT_EQ(s.samplingRate, 3);
    EXPECT_EQ(s.dlsVolume, 40);
    EXPECT_TRUE(s.enableDelay);

    ASSERT_EQ(fileDialogs.size(), 2u);
    EXPECT_EQ(fileDialogs[0].title, q(loadString("IDS_CFG_MIDI_OFNTITLE")));
    EXPECT_TRUE(fileDialogs[0].filter.contains(QStringLiteral("(*.def)")));
    EXPECT_EQ(fileDialogs[1].title, q(loadString("IDS_CFG_DLS_OFNTITLE")));
    EXPECT_TRUE(fileDialogs[1].filter.contains(QStringLiteral("*.dls *.sf2"))) << fileDialogs[1].filter.toStdString();
}

TEST_F(PreferencesSheetTest, AssociationButtonsReportAndAskBeforeOverwriting)
{
    const PreferencesInput input = makeInput();
    CPreferencesSheet sheet(input);
    auto* associate = child<QPushButton>(sheet, "IDC_BTN_ASSOCIATE");
    auto* disassociate = child<QPushButton>(sheet, "IDC_BTN_DISASSOCIATE");

    struct Step {
        QPushButton* button;
        std::vector<QMessageBox::StandardButton> answers;
        std::vector<std::pair<QMessageBox::Icon, std::u16string>> shown;
        bool associatedAfter;
    };
    const auto done = associationMessage(AssociationResult::Done, false);
    const auto ask = associationMessage(AssociationResult::AlreadyAssociated, false);
    const Step steps[] = {
        {associate, {}, {{QMessageBox::Information, done}}, true},
        {associate, {QMessageBox::No}, {{QMessageBox::Question, ask}}, true},
        {associate, {QMessageBox::Yes}, {{QMessageBox::Question, ask}, {QMessageBox::Information, done}}, true},
        {disassociate, {}, {{QMessageBox::Information, associationMessage(AssociationResult::Done, true)}}, false},
    };
    int index = 0;
    for (const Step& step : steps) {
        messages.clear();
        answers.assign(step.answers.begin(), step.answers.end());
        step.button->click();
        ASSERT_EQ(messages.size(), step.shown.size()) << "step " << index;
        for (size_t i = 0; i < messages.size(); ++i) {
            EXPECT_EQ(messages[i].icon, step.shown[i].first) << "step " << index;
            EXPECT_EQ(messages[i].text, q(step.shown[i].second)) << "step " << index;
        }
        EXPECT_EQ(input.association->isAssociated(), step.associatedAfter) << "step " << index;
        ++index;
    }
}

TEST_F(PreferencesSheetTest, MenuTreeOfTheMenuBar)
{
    QMenuBar bar;
    QMenu* file = bar.addMenu(QStringLiteral("ファイル(&F)"));
    file->addAction(QStringLiteral("新規作成(&N)"))->setProperty("zemaCommand", command::kFileNew);
    file->addSeparator();
    file->addAction(QStringLiteral("no command"));
    QMenu* sub = file->addMenu(QStringLiteral("&Recent"));
    sub->addAction(QStringLiteral("a.mml"))->setProperty("zemaCommand", 57616);
    bar.addAction(QStringLiteral("&Help"))->setProperty("zemaCommand", 144);

    const MenuNode tree = menuTreeOf(&bar);
    const std::vector<KeyPageRow> rows = keyPageRows(tree, CAccelerator{});
    std::vector<std::u16string> texts;
    for (const KeyPageRow& row : rows) texts.push_back(row.menuText);
    EXPECT_EQ(texts, (std::vector<std::u16string>{u"ファイル(F)->[新規作成(N)]", u"ファイル(F)->Recent->[a.mml]",
                                                   u"[Help]"}));
    EXPECT_EQ(rows[1].command, 57616);
    EXPECT_TRUE(menuTreeOf(nullptr).children.empty());
}

}  // namespace
}  // namespace zema
