// The auxiliary windows are separate top-level windows, created hidden.
#include "aboutform.h"
#include "downloadform.h"
#include "helpform.h"
#include "phrasesform.h"
#include "spylistform.h"
#include "tallylistform.h"

#include <gtest/gtest.h>
#include <memory>

namespace {

TEST(AuxiliaryWindows, CreatedHiddenAsTopLevelWindows)
{
    std::vector<std::unique_ptr<QWidget>> windows;
    windows.emplace_back(new Ttallylist);
    windows.emplace_back(new Tabout);
    windows.emplace_back(new Tdownload);
    windows.emplace_back(new Thelp);
    windows.emplace_back(new Tphrases);
    windows.emplace_back(new Tspylist);
    const char *names[] = {"Ttallylist", "Tabout", "Tdownload", "Thelp", "Tphrases", "Tspylist"};
    for (size_t i = 0; i < windows.size(); ++i) {
        EXPECT_EQ(windows[i]->objectName(), QString::fromLatin1(names[i]));
        EXPECT_TRUE(windows[i]->isWindow()) << names[i];
        EXPECT_FALSE(windows[i]->isVisible()) << names[i];
        EXPECT_FALSE(windows[i]->windowTitle().isEmpty()) << names[i];
    }
}

} // namespace
