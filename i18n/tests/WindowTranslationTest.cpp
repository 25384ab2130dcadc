#include "GnuGettext.h"
#include "QtPrinters.h"
#include "Strings.h"
#include "TestInstallation.h"
#include "WindowTranslation.h"

#include <gtest/gtest.h>

#include <QObject>

using namespace lumvale;
using namespace lumvale::test;

namespace {

// A component with wide and narrow text properties, a read-only one, one called "Name", and a
// reference to another object; it counts the writes it receives.
class Widget : public QObject {
  Q_OBJECT
  Q_PROPERTY(QString Caption READ Caption WRITE SetCaption)
  Q_PROPERTY(QByteArray Hint READ Hint WRITE SetHint)
  Q_PROPERTY(QString Fixed READ Fixed)
  Q_PROPERTY(QString Name READ Name WRITE SetName)
  Q_PROPERTY(QObject* Buddy READ Buddy WRITE SetBuddy)

 public:
  explicit Widget(QObject* parent = nullptr, const QString& caption = {})
      : QObject(parent), caption_(caption) {}
  QString Caption() const { return caption_; }
  void SetCaption(const QString& v) { caption_ = v, ++writes; }
  QByteArray Hint() const { return hint_; }
  void SetHint(const QByteArray& v) { hint_ = v, ++writes; }
  QString Fixed() const { return QStringLiteral("Run"); }
  QString Name() const { return name_; }
  void SetName(const QString& v) { name_ = v, ++writes; }
  QObject* Buddy() const { return buddy_; }
  void SetBuddy(QObject* v) { buddy_ = v, ++writes; }

  QString caption_, name_;
  QByteArray hint_;
  QObject* buddy_ = nullptr;
  int writes = 0;
};

const Messages kGerman = {{"Run", "Starten"},
                          {"Exit", "Beenden"},
                          {"Save", "Speichern"},
                          {"Help", "Hilfe"},
                          {"Close", "Schließen"}};
const Messages kItalian = {
    {"Run", "Avvia"}, {"Exit", "Esci"}, {"Save", "Salva"}, {"Help", "Guida"}, {"Close", "Chiudi"}};

// A window: a caption, children, a reference to an object outside the tree, a string list
// with an empty middle line and attached objects, and a collection.
struct Window {
  Widget root{nullptr, QStringLiteral("Run")};
  Widget* button = new Widget(&root, QStringLiteral("Exit"));
  Widget* empty = new Widget(&root);
  Widget outside{nullptr, QStringLiteral("Help")};
  TStrings* lines = new TStrings(&root);
  TCollection* panels = new TCollection(&root);
  Widget* panel = new Widget(nullptr, QStringLiteral("Close"));
  QObject tag1, tag3;

  Window() {
    root.setObjectName("Run");  // a component's name is never translated
    root.name_ = QStringLiteral("Save");
    root.hint_ = QByteArray("Exit");
    button->buddy_ = &outside;
    lines->Add("Save", &tag1);
    lines->Add("", nullptr);
    lines->Add("Help", &tag3);
    panels->Add(panel);
    panels->SetPropName("Run");
    for (Widget* w : {&root, button, empty, &outside, panel}) w->writes = 0;
  }
};

}  // namespace

TEST(WindowTranslation, TranslatesEveryReachableTextOnce) {
  Installation install(kGerman, kItalian);
  Environment env({{"LANG", "de"}});
  TLocalization l10n(install.Executable(), install.Table());
  Window w;
  TranslateComponent(&w.root);
  EXPECT_EQ(w.root.Caption(), "Starten");
  EXPECT_EQ(w.root.objectName(), "Run");
  EXPECT_EQ(w.root.Name(), "Speichern") << "a text property called Name is translated";
  EXPECT_EQ(w.root.Hint(), QByteArray("Beenden")) << "narrow texts too";
  EXPECT_EQ(w.button->Caption(), "Beenden");
  EXPECT_EQ(w.outside.Caption(), "Hilfe") << "reached through an object reference";
  EXPECT_EQ(w.panel->Caption(), QString::fromUtf8("Schließen")) << "a collection's item";
  EXPECT_EQ(w.panels->PropName(), "Run");
  EXPECT_EQ(w.empty->writes, 0);
  ASSERT_EQ(w.lines->Count(), 3);
  EXPECT_EQ(w.lines->Line(0), "Speichern");
  EXPECT_EQ(w.lines->Line(1), "");
  EXPECT_EQ(w.lines->Line(2), "Hilfe");
  EXPECT_EQ(w.lines->Object(0), &w.tag1);
  EXPECT_EQ(w.lines->Object(2), &w.tag3);

  TGnuGettextComponentMarker* marker = FindMarker(&w.root);
  ASSERT_NE(marker, nullptr);
  EXPECT_EQ(marker->objectName(), "GNUgettextMarker");
  EXPECT_EQ(marker->lastLanguage, "de");
  EXPECT_EQ(w.root.children().last(), marker) << "added after the walk";
  // Caption, Name, Hint of root; Caption of button, outside, panel; the string list.
  EXPECT_EQ(marker->retranslator->Items().size(), 7u);
  EXPECT_EQ(GnuGettext().activeRecord, nullptr);
}

TEST(WindowTranslation, AnEnglishWindowIsWalkedWithoutAWrite) {
  Installation install(kGerman, kItalian);
  Environment env({{"LANG", "en"}});
  TLocalization l10n(install.Executable(), install.Table());
  Window w;
  TranslateComponent(&w.root);
  for (Widget* widget : {&w.root, w.button, w.empty, &w.outside, w.panel}) {
    EXPECT_EQ(widget->writes, 0);
  }
  EXPECT_EQ(FindMarker(&w.root)->retranslator->Items().size(), 7u) << "still remembered";
}

TEST(WindowTranslation, RetranslationStartsFromTheEnglishTexts) {
  Installation install(kGerman, kItalian);
  Environment env({{"LANG", "de"}});
  TLocalization l10n(install.Executable(), install.Table());
  Window w;
  TranslateComponent(&w.root);
  SelectLanguage("it");
  RetranslateComponent(&w.root);
  EXPECT_EQ(w.root.Caption(), "Avvia");
  EXPECT_EQ(w.button->Caption(), "Esci");
  EXPECT_EQ(w.lines->Text(), "Salva\r\n\r\nGuida");
  SelectLanguage("en");
  RetranslateComponent(&w.root);
  EXPECT_EQ(w.root.Caption(), "Run");
  EXPECT_EQ(w.root.Hint(), QByteArray("Exit"));
  EXPECT_EQ(w.outside.Caption(), "Help");
  EXPECT_EQ(w.lines->Text(), "Save\r\n\r\nHelp");
  EXPECT_EQ(FindMarker(&w.root)->lastLanguage, "en");
  // The language already in effect: nothing is replayed.
  const int writes = w.root.writes;
  RetranslateComponent(&w.root);
  EXPECT_EQ(w.root.writes, writes);
}

TEST(WindowTranslation, MisuseIsReported) {
  Installation install(kGerman, kItalian);
  Environment env({{"LANG", "de"}});
  TLocalization l10n(install.Executable(), install.Table());
  RecordingDialogs dialogs;
  Window w;
  try {
    RetranslateComponent(&w.root);
    FAIL();
  } catch (const EGGProgrammingError& e) {
    EXPECT_EQ(e.Message(),
              "Retranslate was called on an object that has not been translated before. Please "
              "use TranslateComponent() before RetranslateComponent().");
  }
  TranslateComponent(&w.root);
  TranslateComponent(&w.root);
  EXPECT_TRUE(dialogs.boxes.empty()) << "the same language: nothing happens";
  SelectLanguage("it");
  TranslateComponent(&w.root);
  ASSERT_EQ(dialogs.boxes.size(), 1u);
  EXPECT_EQ(dialogs.boxes[0].caption, "Error");
  EXPECT_TRUE(dialogs.boxes[0].text.startsWith("This application tried to switch the language"));
  EXPECT_EQ(w.root.Caption(), "Starten") << "the window keeps its texts";
  EXPECT_EQ(FindMarker(&w.root)->lastLanguage, "it");
}

TEST(WindowTranslation, ASubWindowKeepsItsOwnRecord) {
  Installation install(kGerman, kItalian);
  Environment env({{"LANG", "de"}});
  TLocalization l10n(install.Executable(), install.Table());
  Widget main(nullptr, "Run");
  auto* sub = new Widget(&main, "Exit");
  auto* inner = new Widget(sub, "Save");
  TranslateComponent(sub);
  EXPECT_EQ(inner->Caption(), "Speichern");
  TranslateComponent(&main);
  EXPECT_EQ(FindMarker(&main)->retranslator->Items().size(), 1u) << "the sub-window is not walked";
  // A record that names the sub-window replays the sub-window's own record.
  FindMarker(&main)->retranslator->Remember(sub, "Caption", "Exit");
  SelectLanguage("it");
  RetranslateComponent(&main);
  EXPECT_EQ(main.Caption(), "Avvia");
  EXPECT_EQ(sub->Caption(), "Esci");
  EXPECT_EQ(inner->Caption(), "Salva");
}

TEST(WindowTranslation, RulesAndCatalogueErrors) {
  Installation install(kGerman, kItalian);
  Environment env({{"LANG", "de"}});
  TLocalization l10n(install.Executable(), install.Table());
  auto& rules = GnuGettext().classRules;
  ASSERT_EQ(rules.size(), 2u);
  EXPECT_EQ(rules[0].targetClass, &TCollection::staticMetaObject) << "descendants first";
  EXPECT_EQ(rules[1].targetClass, &QObject::staticMetaObject);
  TP_GlobalIgnoreClassProperty(GnuGettext(), &Widget::staticMetaObject, "caption");
  // Inserted before the first rule of an ancestor (QObject), after the unrelated collections.
  ASSERT_EQ(rules.size(), 3u);
  EXPECT_EQ(rules[1].targetClass, &Widget::staticMetaObject);
  TP_GlobalIgnoreClassProperty(GnuGettext(), &Widget::staticMetaObject, "Hint");
  EXPECT_EQ(rules.size(), 3u);
  EXPECT_EQ(rules[1].ignoredProperties, (QSet<QString>{"CAPTION", "HINT"}));
  Window w;
  TranslateComponent(&w.root);
  EXPECT_EQ(w.root.Caption(), "Run");
  EXPECT_EQ(w.root.Name(), "Speichern");

  // A damaged catalogue during the walk is reported once; the walk goes on in English.
  RecordingDialogs dialogs;
  WriteBytes(install.Locale("fr/LC_MESSAGES/default.mo"),
             QByteArray("damaged catalogue bytes....."));
  SelectLanguage("fr");
  Widget other;
  other.name_ = "Run";  // Caption and Hint of a Widget are ignored by now
  auto* inner = new Widget(&other);
  inner->name_ = "Exit";
  TranslateComponent(&other);
  EXPECT_EQ(other.Name(), "Run");
  EXPECT_EQ(inner->Name(), "Exit");
  EXPECT_EQ(dialogs.boxes.size(), 1u);
  EXPECT_EQ(GnuGettext().activeRecord, nullptr);
}

#include "WindowTranslationTest.moc"
