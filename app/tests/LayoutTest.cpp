// Every caption and edit of the main window gets the room it asks for, in English, German and
// Italian, at the default window size and at the smallest size the window allows.
#include "BuiltCatalogues.h"
#include "GnuGettext.h"
#include "MainWindow.h"
#include "QtPrinters.h"
#include "TestInstallation.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>

using namespace lumvale;
using namespace lumvale::test;

namespace {

// The widgets whose text is cut when they get less than they ask for. An edit may be narrower
// than its generic hint (about seventeen characters), but not lower, and never narrower than
// its text and its own minimum.
QStringList Clipped(TfrmMain& w) {
  QStringList clipped;
  const auto report = [&](QWidget* widget, QSize wanted) {
    const QSize got = widget->size();
    if (wanted.width() > got.width() || wanted.height() > got.height()) {
      clipped << QStringLiteral("%1 \"%2\": wants %3 x %4, has %5 x %6")
                     .arg(widget->objectName(), widget->property("text").toString())
                     .arg(wanted.width())
                     .arg(wanted.height())
                     .arg(got.width())
                     .arg(got.height());
    }
  };
  for (QWidget* widget : w.centralWidget()->findChildren<QWidget*>()) {
    if (!widget->isVisibleTo(&w)) continue;
    if (qobject_cast<QLabel*>(widget) || qobject_cast<QAbstractButton*>(widget)) {
      report(widget, widget->sizeHint());
    } else if (auto* edit = qobject_cast<QLineEdit*>(widget)) {
      const int text = edit->fontMetrics().horizontalAdvance(edit->text()) + 8;
      report(edit,
             QSize(std::max(edit->minimumSizeHint().width(), text), edit->sizeHint().height()));
    }
  }
  return clipped;
}

void LayOut(TfrmMain& w, QSize size) {
  w.resize(size);
  QApplication::sendPostedEvents();
  w.layout()->activate();
  QApplication::processEvents();
}

}  // namespace

TEST(MainWindowLayout, EveryCaptionAndEditFitsInEveryLanguage) {
  Installation install(BuiltMessages("de"), BuiltMessages("it"));
  for (const char* language : {"en", "de", "it"}) {
    Environment env({{"LANG", language}});
    TLocalization l10n(install.Executable(), install.Table());
    QTemporaryDir dir;
    TfrmMain w(dir.filePath("Lumvale.ini"));
    w.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
    // The default client height of 450 grows only as far as the settings column needs.
    EXPECT_EQ(w.height(), std::max(450, w.minimumSizeHint().height())) << language;
    EXPECT_LE(w.height(), 540) << language << ": the window fits a screen of 768 lines";
    // The size a first start gives (wide and narrow screens), then the smallest one.
    const QSize sizes[] = {w.size(), QSize(870, 450), QSize(790, 450), QSize(1, 1)};
    for (const QSize& size : sizes) {
      LayOut(w, size);
      EXPECT_EQ(Clipped(w), QStringList())
          << language << " at " << size.width() << " x " << size.height() << " (window "
          << w.width() << " x " << w.height() << ")";
    }
  }
}
