// What the window leaves behind: documents that do not change by a single
// byte under a desktop locale with a decimal comma, and a picture of the
// window for the README.
#include <gtest/gtest.h>

#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <set>

#include "pipeline/log_conversion.h"
#include "log_builder.h"
#include "temp_dir.h"
#include "ui/file_pick.h"
#include "window_harness.h"
#include "xml_check.h"

namespace zeltlog::ui::testing {
namespace {

using testkit::ReadFile;

// LC_NUMERIC set to a locale whose decimal separator is a comma, for the
// life of the object. Where the system has none installed, one is compiled
// into a private folder, if the locale compiler and its sources are there.
class DecimalCommaLocale {
 public:
  DecimalCommaLocale() : previous_(std::setlocale(LC_NUMERIC, nullptr)) {
    for (const char* name : {"de_DE.UTF-8", "de_DE.utf8", "fr_FR.UTF-8", "fr_FR.utf8"}) {
      if (TrySet(name)) return;
    }
    const std::string compiled = folder_.File("de_DE.UTF-8");
    const std::string command = "localedef -i de_DE -f UTF-8 '" + compiled + "' >/dev/null 2>&1";
    [[maybe_unused]] const int status = std::system(command.c_str());  // warnings give a non-zero status
    if (!std::filesystem::exists(compiled)) return;
    setenv("LOCPATH", folder_.path().c_str(), 1);
    locpathSet_ = true;
    TrySet("de_DE.UTF-8");
  }
  ~DecimalCommaLocale() {
    std::setlocale(LC_NUMERIC, previous_.c_str());
    if (locpathSet_) unsetenv("LOCPATH");
  }
  bool active() const { return active_; }

 private:
  bool TrySet(const char* name) {
    if (std::setlocale(LC_NUMERIC, name) == nullptr) return false;
    char text[16];
    std::snprintf(text, sizeof text, "%.1f", 0.5);
    active_ = std::string(text) == "0,5";
    return active_;
  }

  std::string previous_;
  testkit::TempDir folder_;
  bool locpathSet_ = false;
  bool active_ = false;
};

class DocumentTest : public WindowTest {
 protected:
  std::string Job(const std::string& folder) {
    std::filesystem::create_directories(dir.File(folder));
    const auto job = testkit::BuildSprayJob({1500, 300, true, 3});
    const std::string path = dir.File(folder) + "/JOB.LOG";
    testkit::WriteFile(path, std::string(job.begin(), job.end()));
    return path;
  }
  testkit::TempDir dir;
};

TEST_F(DocumentTest, ADecimalCommaLocaleChangesNoByteOfTheDocuments) {
  choices.push_back(Job("plain"));
  Press(id::kZeltLog);
  const auto plainLines = ListLines();
  {
    DecimalCommaLocale comma;
    if (!comma.active()) GTEST_SKIP() << "no locale with a decimal comma here (de_DE.UTF-8 is neither installed nor "
                                         "compilable); the C.UTF-8 locale cannot show the difference";
    choices.push_back(Job("comma"));
    Press(id::kZeltLog);
    Tick();
    EXPECT_EQ(FieldText(id::kSprayProjection), "0.2");
  }
  EXPECT_EQ(ListLines(), plainLines);
  for (const char* name : {"JOB.KML", "JOB_SIC.KML", "JOB_M.KML"}) {
    const std::string plain = ReadFile(dir.File("plain") + "/" + name);
    ASSERT_FALSE(plain.empty()) << name;
    EXPECT_TRUE(plain == ReadFile(dir.File("comma") + "/" + name)) << name << " differs";
  }
}

TEST_F(DocumentTest, ScreenshotOfTheWindowAfterAConversion) {
  choices.push_back(Job("SPRAYJOB"));
  Press(id::kZeltLog);
  Tick();
  Settle();

  const wxSize size = window->GetClientSize();
  wxBitmap bitmap(size);
  {
    wxClientDC screen(window);
    wxMemoryDC memory(bitmap);
    ASSERT_TRUE(memory.Blit(0, 0, size.x, size.y, &screen, 0, 0));
  }
  const wxImage image = bitmap.ConvertToImage();
  // A drawn window, not an empty rectangle: buttons, fields and text.
  std::set<unsigned> colours;
  for (int y = 0; y < image.GetHeight(); y += 3) {
    for (int x = 0; x < image.GetWidth(); x += 3) {
      colours.insert(image.GetRed(x, y) << 16 | image.GetGreen(x, y) << 8 | image.GetBlue(x, y));
    }
  }
  EXPECT_GT(colours.size(), 8u);

  if (wxImage::FindHandler(wxBITMAP_TYPE_PNG) == nullptr) wxImage::AddHandler(new wxPNGHandler);
  ASSERT_TRUE(image.SaveFile(ZELTLOG_WINDOW_TEST_DIR "/window.png", wxBITMAP_TYPE_PNG));
  // The README's picture is made once, or again when asked for, so that a
  // test run does not rewrite a file of the repository each time.
  const std::string docs = ZELTLOG_SOURCE_DIR "/docs/window.png";
  if (!std::filesystem::exists(docs) || std::getenv("ZELTLOG_UPDATE_SCREENSHOT") != nullptr) {
    std::filesystem::create_directories(ZELTLOG_SOURCE_DIR "/docs");
    ASSERT_TRUE(image.SaveFile(docs, wxBITMAP_TYPE_PNG));
  }
}

TEST_F(DocumentTest, ALongConversionShowsProgressAndTakesNoOtherCommandMeanwhile) {
  // A press of "GOOGLE EARTH" that arrives while the log is read waits for
  // the conversion to end.
  bool gaugeShownWhileConverting = false;
  window->hooks().chooseFile = [this](std::string_view filter, std::string_view) -> std::optional<std::string> {
    filters.emplace_back(filter);
    if (filters.size() > 1) return std::nullopt;
    wxCommandEvent press(wxEVT_BUTTON, id::kGoogleEarth);
    press.SetEventObject(Control(id::kGoogleEarth));
    wxPostEvent(window, press);
    return Job("LONG");
  };
  window->hooks().openInViewer = [&](const std::string&) {
    gaugeShownWhileConverting = wxWindow::FindWindowByName(kProgressGaugeName, window)->IsShown();
    EXPECT_EQ(filters.size(), 1u);
  };
  wxEventLoop loop;
  wxTheApp->CallAfter([&] {
    Press(id::kZeltLog);
    EXPECT_EQ(filters.size(), 1u);
    wxTheApp->CallAfter([&] { loop.Exit(); });
  });
  loop.Run();
  EXPECT_TRUE(gaugeShownWhileConverting);
  EXPECT_FALSE(wxWindow::FindWindowByName(kProgressGaugeName, window)->IsShown());
  EXPECT_EQ(filters, (std::vector<std::string>{kLogFileFilter, kKmlFileFilter}));
}

}  // namespace
}  // namespace zeltlog::ui::testing
