// The platform layer's own texts reach the user through the translator that the localization
// installs, and stand in English without one.
#include "Exception.h"
#include "MemoryStream.h"
#include "PlatformTexts.h"
#include "QtPrinters.h"
#include "TerminalDialogService.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <iostream>

#include <fcntl.h>
#include <unistd.h>

using namespace lumvale;

namespace {

// A translator that shows which text it was asked for: "<<text>>".
QString Bracketed(const char* text) {
  return QStringLiteral("<<") + QString::fromUtf8(text) + QStringLiteral(">>");
}

class WithTranslator {
 public:
  explicit WithTranslator(TPlatformTextTranslator t) : previous_(SetPlatformTextTranslator(t)) {}
  ~WithTranslator() { SetPlatformTextTranslator(previous_); }

 private:
  TPlatformTextTranslator previous_;
};

QString ErrorOf(const std::function<void()>& action) {
  try {
    action();
  } catch (const EFileError& e) {
    return e.Message();
  }
  return QStringLiteral("(no error)");
}

// Standard input replaced for one question: a terminal with the typed answer waiting, or
// /dev/null.
class StandardInput {
 public:
  explicit StandardInput(const char* typed) : saved_(::dup(STDIN_FILENO)) {
    int replacement = -1;
    if (typed) {
      master_ = ::posix_openpt(O_RDWR | O_NOCTTY);
      EXPECT_GE(master_, 0);
      EXPECT_EQ(::grantpt(master_), 0);
      EXPECT_EQ(::unlockpt(master_), 0);
      replacement = ::open(::ptsname(master_), O_RDWR | O_NOCTTY);
      EXPECT_GT(::write(master_, typed, std::strlen(typed)), 0);
    } else {
      replacement = ::open("/dev/null", O_RDONLY);
    }
    EXPECT_GE(replacement, 0);
    ::dup2(replacement, STDIN_FILENO);
    ::close(replacement);
    std::clearerr(stdin);
    std::cin.clear();
  }
  ~StandardInput() {
    ::dup2(saved_, STDIN_FILENO);
    ::close(saved_);
    if (master_ >= 0) ::close(master_);
    std::clearerr(stdin);
    std::cin.clear();
  }

 private:
  int saved_;
  int master_ = -1;
};

// What the terminal service writes to standard error for the overwrite question.
QString Asked(const char* typed, TMessageButton* answer) {
  StandardInput input(typed);
  testing::internal::CaptureStderr();
  *answer = TerminalDialogService().MessageBox(
      QStringLiteral("a.jpg exists"), QStringLiteral("Confirm"), TMessageIcon::question,
      mbYes | mbNo | mbCancel | mbNoToAll | mbYesToAll, mbYes);
  return QString::fromStdString(testing::internal::GetCapturedStderr());
}

}  // namespace

TEST(PlatformTexts, FileErrorsGoThroughTheTranslator) {
  QTemporaryDir dir;
  const QString absent = dir.filePath("absent.jpg");
  const QString unwritable = dir.filePath("no/such/folder/a.jpg");
  const QString target = dir.filePath("a.jpg");
  TMemoryStream s;
  s.Write("xy", 2);
  const struct {
    const char* what;
    std::function<void()> action;
    QString path;
    const char* english;
  } cases[] = {
      {"open", [&] { TMemoryStream().LoadFromFile(absent); }, absent, "Cannot open file \"%1\". "},
      {"create", [&] { s.SaveToFile(unwritable); }, unwritable, "Cannot create file \"%1\". "},
      {"write",
       [&] {
         OutputFault = [](TOutputStage at) { return at == TOutputStage::afterHalf; };
         s.SaveToFile(target);
       },
       target, "Cannot write file \"%1\". "},
  };
  for (const auto& c : cases) {
    const QString english = QString::fromUtf8(c.english).arg(c.path);
    const QString plain = ErrorOf(c.action);
    EXPECT_TRUE(plain.startsWith(english)) << c.what << ": " << plain;
    {
      WithTranslator translator(&Bracketed);
      const QString translated = ErrorOf(c.action);
      EXPECT_TRUE(translated.startsWith("<<" + english)) << c.what << ": " << translated;
      EXPECT_TRUE(translated.endsWith(">>")) << c.what << ": " << translated;
    }
    OutputFault = nullptr;
  }
}

TEST(PlatformTexts, TheTerminalQuestionGoesThroughTheTranslator) {
  const struct {
    const char* typed;  // nullptr: standard input is no terminal
    TMessageButton answer;
    const char* english;
  } cases[] = {
      {nullptr, mbNo,
       "a.jpg exists\nNo (standard input is no terminal): the existing file is kept.\n"},
      {"y\n", mbYes, "a.jpg exists\n[y] Yes  [n] No  [c] Cancel  [N] No to All  [A] Yes to All: "},
      {"x\nA\n", mbYesToAll,
       "a.jpg exists\n[y] Yes  [n] No  [c] Cancel  [N] No to All  [A] Yes to All: a.jpg exists\n"
       "[y] Yes  [n] No  [c] Cancel  [N] No to All  [A] Yes to All: "},
  };
  for (const auto& c : cases) {
    const char* trace = c.typed ? c.typed : "no terminal";
    TMessageButton answer = mbNone;
    EXPECT_EQ(Asked(c.typed, &answer), c.english) << trace;
    EXPECT_EQ(answer, c.answer) << trace;
    WithTranslator translator(&Bracketed);
    const QString translated = Asked(c.typed, &answer);
    EXPECT_EQ(answer, c.answer) << trace;
    const QString expected =
        QString::fromUtf8(c.english)
            .replace("No (standard input is no terminal): the existing file is kept.",
                     "<<No (standard input is no terminal): the existing file is kept.>>")
            .replace("[y] Yes  [n] No  [c] Cancel  [N] No to All  [A] Yes to All",
                     "<<[y] Yes  [n] No  [c] Cancel  [N] No to All  [A] Yes to All>>");
    EXPECT_EQ(translated, expected) << trace;
  }
}
