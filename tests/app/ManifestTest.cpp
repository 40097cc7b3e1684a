#include "TestFiles.h"

#include <gtest/gtest.h>

#include <regex>
#include <string>

namespace {

std::string Manifest(const char* path)
{
    const std::string p = path;
    return ReadWholeFile(WindowsPathOf(std::wstring(p.begin(), p.end())));
}

// The text of the one element `name` in `xml`, with the namespace it must
// be declared in; empty when it is missing or in another namespace.
std::string Setting(const std::string& xml, const std::string& name, const std::string& space)
{
    const std::regex element("<" + name + "\\s+xmlns=\"" + space + "\"\\s*>([^<]*)</" + name + ">");
    std::smatch match;
    if (!std::regex_search(xml, match, element))
        return std::string();
    return match[1].str();
}

const char kSettings2005[] = "http://schemas.microsoft.com/SMI/2005/WindowsSettings";
const char kSettings2016[] = "http://schemas.microsoft.com/SMI/2016/WindowsSettings";

} // namespace

TEST(Manifest, ClientIsPerMonitorAwareUninstallerSystemAware)
{
    const std::string client = Manifest(CLIENT_MANIFEST);
    ASSERT_FALSE(client.empty()) << CLIENT_MANIFEST;
    EXPECT_EQ(Setting(client, "dpiAware", kSettings2005), "true/pm");
    EXPECT_EQ(Setting(client, "dpiAwareness", kSettings2016), "PerMonitorV2, PerMonitor");

    const std::string uninstaller = Manifest(UNINSTALL_MANIFEST);
    ASSERT_FALSE(uninstaller.empty()) << UNINSTALL_MANIFEST;
    EXPECT_EQ(Setting(uninstaller, "dpiAware", kSettings2005), "true");
    // No per-monitor promise where nothing rescales.
    EXPECT_EQ(uninstaller.find("dpiAwareness"), std::string::npos);
    // Both settings sit in the windowsSettings of an asm.v3 application.
    for (const std::string* text : {&client, &uninstaller})
        EXPECT_TRUE(std::regex_search(*text, std::regex("<application xmlns=\"urn:schemas-microsoft-com:asm.v3\">"
                                                         "\\s*<windowsSettings>\\s*<dpiAware")));
}
