// What confirming Options leaves in the registry: the two switches as
// REG_DWORD values under the user's settings key, and nothing when nothing
// changed.

#include <windows.h>

#include <optional>

#include <QCheckBox>
#include <QPushButton>

#include "navigator_dlg.h"
#include "options_dlg.h"
#include "settings.h"
#include "widget_fixture.h"

namespace {

// The value's data when it is there as a REG_DWORD.
std::optional<DWORD> RegistryDword(const char* name)
{
    DWORD data = 0;
    DWORD size = sizeof data;
    if (RegGetValueA(HKEY_CURRENT_USER, kSettingsPath, name, RRF_RT_REG_DWORD, nullptr, &data, &size) != ERROR_SUCCESS)
        return std::nullopt;
    return data;
}

bool SettingsKeyExists()
{
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kSettingsPath, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    RegCloseKey(key);
    return true;
}

class OptionsRegistryTest : public WidgetTest {
protected:
    void SetUp() override
    {
        WidgetTest::SetUp();
        m_nav = std::make_unique<CNavigatorDlg>();
        ASSERT_TRUE(m_nav->OnInitDialog());
    }
    void TearDown() override
    {
        m_nav.reset();
        WidgetTest::TearDown();
    }
    void ConfirmOptions(std::function<void(COptionsDlg*)> edit)
    {
        WhenModal([edit](QWidget* modal) {
            auto* dlg = qobject_cast<COptionsDlg*>(modal);
            ASSERT_NE(dlg, nullptr);
            edit(dlg);
            dlg->findChild<QPushButton*>("btnOK")->click();
        });
        m_nav->OnOptions();
    }

    std::unique_ptr<CNavigatorDlg> m_nav;
};

TEST_F(OptionsRegistryTest, StartCreatesTheKeyAndOkWithoutChangeWritesNoValue)
{
    EXPECT_TRUE(SettingsKeyExists()) << "the start-up read creates the key chain";
    ConfirmOptions([](COptionsDlg*) {});
    EXPECT_FALSE(RegistryDword("gBeep"));
    EXPECT_FALSE(RegistryDword("gPop"));
}

TEST_F(OptionsRegistryTest, ChangingOneSwitchWritesBothAsDwords)
{
    ConfirmOptions([](COptionsDlg* dlg) { dlg->findChild<QCheckBox*>("chkPop")->setChecked(false); });
    EXPECT_EQ(RegistryDword("gBeep"), 1u);
    EXPECT_EQ(RegistryDword("gPop"), 0u);

    // Read back as the next start would.
    ResetSettings();
    ReadAllSettings();
    EXPECT_EQ(gPop, 0);
    EXPECT_EQ(gBeep, 1);
}

}  // namespace
