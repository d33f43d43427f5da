#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QLineEdit>
#include <QTest>
#include <QTimer>

#include "app/about_dlg.h"
#include "app/bmp_option_dlg.h"
#include "app/control_tags.h"
#include "window_test_support.h"

namespace quorvel::testing {
namespace {

QAbstractButton* Button(QWidget* dialog, int id) { return qobject_cast<QAbstractButton*>(FindControl(dialog, id)); }

TEST(BmpOptionDlg, OnlyTheTwentyFourBitLayoutCanBeChosen) {
  CBmpOptionDlg dialog;
  EXPECT_EQ(dialog.windowTitle(), "BMP选项");
  dialog.selectedFormat = 0;
  dialog.OnInitDialog();
  EXPECT_TRUE(Button(&dialog, 1037)->isChecked());
  EXPECT_TRUE(Button(&dialog, 1037)->isEnabled());
  EXPECT_FALSE(Button(&dialog, 1038)->isEnabled());
  EXPECT_FALSE(Button(&dialog, 1039)->isEnabled());
  EXPECT_EQ(Button(&dialog, 1039)->text(), "32位 A8 R8 G8 B8");
  Button(&dialog, 1)->click();
  EXPECT_EQ(dialog.result(), QDialog::Accepted);
  EXPECT_EQ(dialog.selectedFormat, 0);
}

TEST(BmpOptionDlg, OkTakesTheCheckedButtonAndCancelKeepsTheFormat) {
  CBmpOptionDlg other;
  other.selectedFormat = 2;
  other.OnInitDialog();
  EXPECT_TRUE(Button(&other, 1039)->isChecked());
  Button(&other, 1)->click();
  EXPECT_EQ(other.selectedFormat, 2);

  CBmpOptionDlg none;
  none.selectedFormat = 7;  // matches no button: none is checked
  none.OnInitDialog();
  for (int id : {1037, 1038, 1039}) EXPECT_FALSE(Button(&none, id)->isChecked());
  Button(&none, 1)->click();
  EXPECT_EQ(none.selectedFormat, 7);

  CBmpOptionDlg cancelled;
  cancelled.selectedFormat = 0;
  cancelled.OnInitDialog();
  Button(&cancelled, 1037)->setChecked(true);
  Button(&cancelled, 2)->click();
  EXPECT_EQ(cancelled.result(), QDialog::Rejected);
  EXPECT_EQ(cancelled.selectedFormat, 0);
}

TEST(AboutDlg, ShowsVersionAndContactAndOpensTheDownloadPage) {
  FakePrompts prompts;
  CAboutDlg about(prompts);
  EXPECT_EQ(about.windowTitle(), "关于(About)");
  about.OnInitDialog();
  const auto* address = qobject_cast<QLineEdit*>(FindControl(&about, 1010));
  ASSERT_NE(address, nullptr);
  EXPECT_TRUE(address->isReadOnly());
  EXPECT_FALSE(address->text().isEmpty());
  EXPECT_FALSE(qobject_cast<QLineEdit*>(FindControl(&about, 1008))->text().isEmpty());
  EXPECT_TRUE(qobject_cast<QLineEdit*>(FindControl(&about, 1009))->text().contains('@'));
  EXPECT_TRUE(FindControl(&about, 1)->isHidden());

  Button(&about, 1007)->click();
  ASSERT_EQ(prompts.urls.size(), 1);
  EXPECT_EQ(prompts.urls[0].toString(), address->text());

  about.show();
  QTest::keyClick(&about, Qt::Key_Return);  // the hidden default button
  EXPECT_EQ(about.result(), QDialog::Accepted);
}

TEST(AboutDlg, OpensModallyFromTheMenuAndTheDownloadButtonOpensTheSamePage) {
  Window w;
  QString title;
  QTimer::singleShot(0, [&title] {
    QWidget* modal = QApplication::activeModalWidget();
    if (!modal) return;
    title = modal->windowTitle();
    modal->close();
  });
  w.dialog->OnCommand(32774);
  EXPECT_EQ(title, "关于(About)");

  w.Press(1037);
  ASSERT_EQ(w.prompts.urls.size(), 1);
  EXPECT_EQ(w.prompts.urls[0].scheme(), "https");
}

}  // namespace
}  // namespace quorvel::testing
