// The main dialog's controls as its template has them, the menu, the tips
// and the start values of the parameter controls.
#include <QAbstractButton>
#include <QAction>
#include <QButtonGroup>
#include <QCheckBox>
#include <QGroupBox>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>

#include "app/client_area.h"
#include "app/control_ids.h"
#include "app/control_tags.h"
#include "app/dialog_texts.h"
#include "app/morvex_dlg.h"
#include "app/resources.h"

namespace quorvel {
namespace {

enum class Kind { Label, CentredLabel, Group, Radio, Check, Push, Face, Slider, Edit };

struct ControlTemplate {
  int id;
  Kind kind;
  const char* text;
  int face = 0;  // resource of a button face
};

// Frames first, so that what they enclose lies above them.
const ControlTemplate kControls[] = {
    {ids::kViewFrame, Kind::Group, ""},
    {ids::kSettingsGroup, Kind::Group, "设置(Setting)"},
    {ids::kSwatchFrame, Kind::Group, ""},
    {ids::kLoadingText, Kind::Label, texts::kLoading},
    {ids::kOpen, Kind::Face, "open", res::kOpenFace},
    {ids::kSave, Kind::Face, "save", res::kSaveFace},
    {ids::kDownload, Kind::Face, "down", res::kDownloadFace},
    {ids::kShapeDropDown, Kind::Face, "down", res::kShapeFace},
    {ids::kActualSize, Kind::Check, "100%"},
    {ids::kDisplayLabel, Kind::Label, " 显示(Display):"},
    {ids::kShowBoth, Kind::Radio, "同时显示(Show Both)"},
    {ids::kShowSrc, Kind::Radio, "仅原图(Show Only Src)"},
    {ids::kShowDst, Kind::Radio, "仅目标图(Show Only Dst)"},
    {ids::kDetailLabel, Kind::Label, "细节(Detail):"},
    {ids::kHorizontal, Kind::Radio, "横向(horizontal)"},
    {ids::kVertical, Kind::Radio, "竖向(vertical)"},
    {ids::kAngleHeading, Kind::Label, "角度(Angle):"},
    {ids::kAngleLabel, Kind::CentredLabel, "0"},
    {ids::kAngleSlider, Kind::Slider, ""},
    {ids::kColourHeading, Kind::Label, "填充背景色(BkColor):"},
    {ids::kRedLabel, Kind::CentredLabel, "0"},
    {ids::kGreenLabel, Kind::CentredLabel, "0"},
    {ids::kBlueLabel, Kind::CentredLabel, "0"},
    {ids::kRedSlider, Kind::Slider, ""},
    {ids::kGreenSlider, Kind::Slider, ""},
    {ids::kBlueSlider, Kind::Slider, ""},
    {ids::kRedLetter, Kind::CentredLabel, "R"},
    {ids::kGreenLetter, Kind::CentredLabel, "G"},
    {ids::kBlueLetter, Kind::CentredLabel, "B"},
    {ids::kPreviewLabel, Kind::Label, "预览(Preview):"},
    {ids::kApply, Kind::Push, texts::kApply},
    {ids::kPleaseWait, Kind::CentredLabel, texts::kPleaseWait},
};

// Controls outside the layout table: kept at their template place, hidden
// and disabled.
const struct {
  ControlTemplate item;
  QRect rect;
} kHiddenControls[] = {
    {{ids::kShapeButton, Kind::Push, "SHAPE"}, TemplateRect(102, 0, 42, 16)},
    {{ids::kPolylineButton, Kind::Push, "POLYLINE"}, TemplateRect(57, 0, 42, 16)},
    {{ids::kPictureButton, Kind::Push, "PICTURE"}, TemplateRect(12, 0, 42, 16)},
    {{ids::kReadPolysButton, Kind::Push, "读polys..."}, TemplateRect(429, 9, 56, 16)},
    {{ids::kPolyToShpButton, Kind::Push, "poly->shp"}, TemplateRect(492, 9, 56, 16)},
};

QWidget* MakeControl(const ControlTemplate& item, QWidget* parent) {
  const QString text = QString::fromUtf8(item.text);
  QWidget* control = nullptr;
  switch (item.kind) {
    case Kind::Label:
      control = new QLabel(text, parent);
      break;
    case Kind::CentredLabel:
      control = new QLabel(text, parent);
      static_cast<QLabel*>(control)->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
      break;
    case Kind::Group:
      control = new QGroupBox(text, parent);
      break;
    case Kind::Radio:
      control = new QRadioButton(text, parent);
      break;
    case Kind::Check:
      control = new QCheckBox(text, parent);
      break;
    case Kind::Push:
      control = new QPushButton(text, parent);
      break;
    case Kind::Face: {
      // The face replaces the text, as on a bitmap button.
      auto* button = new QPushButton(parent);
      button->setAccessibleName(text);
      const QPixmap face(res::ResourcePath(item.face));
      button->setIcon(QIcon(face));
      button->setIconSize(face.size());
      control = button;
      break;
    }
    case Kind::Slider: {
      auto* slider = new QSlider(Qt::Horizontal, parent);
      slider->setTickPosition(QSlider::NoTicks);
      control = slider;
      break;
    }
    case Kind::Edit:
      control = new QLineEdit(parent);
      break;
  }
  TagControl(control, item.id);
  return control;
}

}  // namespace

void CMorvexDlg::CreateControls() {
  for (const ControlTemplate& item : kControls) MakeControl(item, client);
  CreateHiddenControls();
  CreatePortControls();

  auto* display = new QButtonGroup(this);
  for (int id : {ids::kShowSrc, ids::kShowDst, ids::kShowBoth})
    display->addButton(static_cast<QAbstractButton*>(FindControl(client, id)), id);
  auto* direction = new QButtonGroup(this);
  for (int id : {ids::kHorizontal, ids::kVertical})
    direction->addButton(static_cast<QAbstractButton*>(FindControl(client, id)), id);

  auto* apply = static_cast<QPushButton*>(FindControl(client, ids::kApply));
  apply->setDefault(true);
}

void CMorvexDlg::CreateHiddenControls() {
  for (const auto& hidden : kHiddenControls) {
    QWidget* control = MakeControl(hidden.item, client);
    control->setGeometry(hidden.rect);
    control->hide();
    control->setEnabled(false);
  }
}

// Shown here: the feather edit with its label (its template label, too
// narrow for the English, widened to the right), a progress bar and a
// status line for Apply and Save.
void CMorvexDlg::CreatePortControls() {
  MakeControl({ids::kFeatherLabel, Kind::Label, texts::kFeatherLabel}, client)->setGeometry(516, 18, 84, 14);
  QWidget* feather = MakeControl({ids::kFeatherEdit, Kind::Edit, ""}, client);
  feather->setGeometry(602, 15, 27, 21);
  feather->setToolTip(QString::fromUtf8(texts::kTipFeather));
  auto* bar = new QProgressBar(client);
  TagControl(bar, ids::kApplyProgress);
  bar->setRange(0, 100);
  bar->setFormat(QString::fromUtf8(texts::kProgressFormat));
  bar->hide();
  QWidget* status = MakeControl({ids::kStatusText, Kind::Label, ""}, client);
  status->hide();
}

// The bar takes the please-wait text's place; the status line the loading
// text's, which is gone by the time there is anything to say.
void CMorvexDlg::PlacePortControls() {
  const LayoutSize size = ClientSize();
  for (const auto& [id, in_place_of] : {std::pair{ids::kApplyProgress, ids::kPleaseWait},
                                        std::pair{ids::kStatusText, ids::kLoadingText}}) {
    for (const ControlRecord& record : MainDialogControlRecords()) {
      if (record.id != in_place_of) continue;
      LayoutRect r = quorvel::ItemRect(ItemToPixels(record.item), size);
      if (id == ids::kApplyProgress) r.top -= 3;  // a bar needs a few more rows than the text
      FindControl(client, id)->setGeometry(r.left, r.top, r.Width(), r.Height());
    }
  }
}

void CMorvexDlg::ConnectCommands() {
  for (QAbstractButton* button : client->findChildren<QAbstractButton*>()) {
    const int id = ControlIdOf(button);
    if (id > 0) connect(button, &QAbstractButton::clicked, this, [this, id] { OnCommand(id); });
  }
  // The colour sliders have no handler: the background stays white.
  connect(static_cast<QSlider*>(FindControl(client, ids::kAngleSlider)), &QSlider::valueChanged, this,
          &CMorvexDlg::OnAngleScroll);
  connect(static_cast<QLineEdit*>(FindControl(client, ids::kFeatherEdit)), &QLineEdit::textChanged, this,
          &CMorvexDlg::OnFeatherChanged);
}

// Clicking the direction already checked still asks for a new preview.
void CMorvexDlg::SetDirection(std::int32_t direction) {
  shapeLib.direction = direction;
  paramsDirty = 1;
}

void CMorvexDlg::OnAngleScroll(int position) {
  shapeLib.angle = position;
  static_cast<QLabel*>(FindControl(client, ids::kAngleLabel))->setText(QString::number(position));
  paramsDirty = 1;
}

// Leading digits, as a C string conversion reads them; anything else is 0.
// The feather changes only the full-size warp, so no preview is asked for.
void CMorvexDlg::OnFeatherChanged(const QString& text) {
  std::int32_t value = 0;
  for (QChar c : text) {
    if (c < QLatin1Char('0') || c > QLatin1Char('9') || value > 99) break;
    value = value * 10 + (c.unicode() - '0');
  }
  shapeLib.feather = value;
}

void CMorvexDlg::CreateMenu() {
  menu = new QMenuBar(this);
  const struct {
    const char* popup;
    int id;
    const char* text;
    QKeySequence shortcut;
  } items[] = {
      {texts::kMenuFile, ids::kMenuOpen, texts::kMenuOpen, QKeySequence::Open},
      {texts::kMenuFile, ids::kMenuSave, texts::kMenuSave, QKeySequence::Save},
      {texts::kMenuFile, ids::kMenuAddShape, texts::kMenuAddShape, QKeySequence()},
      {texts::kMenuFile, ids::kMenuExit, texts::kMenuExit, QKeySequence(Qt::CTRL | Qt::Key_Q)},
      {texts::kMenuHelp, ids::kMenuAbout, texts::kMenuAbout, QKeySequence(Qt::Key_F1)},
  };
  QMenu* popup = nullptr;
  const char* popupText = nullptr;
  for (const auto& item : items) {
    if (item.popup != popupText) {
      if (item.popup == texts::kMenuHelp) AddOptionsMenu();
      popup = menu->addMenu(QString::fromUtf8(item.popup));
      popupText = item.popup;
    }
    QAction* action = popup->addAction(QString::fromUtf8(item.text));
    action->setShortcut(item.shortcut);
    // Also the dialog's own, so that the keys work wherever the focus is.
    addAction(action);
    TagAction(action, item.id);
  }
}

void CMorvexDlg::TagAction(QAction* action, int id) {
  action->setProperty("controlId", id);
  action->setObjectName(QStringLiteral("id%1").arg(id));
  connect(action, &QAction::triggered, this, [this, id] { OnCommand(id); });
}

// Apply lays its stamp grid while this is checked; only for this run.
void CMorvexDlg::AddOptionsMenu() {
  QMenu* options = menu->addMenu(QString::fromUtf8(texts::kMenuOptions));
  QAction* stamps = options->addAction(QString::fromUtf8(texts::kMenuStamps));
  stamps->setCheckable(true);
  stamps->setChecked(stampGrid);
  TagAction(stamps, ids::kMenuStamps);
}

void CMorvexDlg::CreateToolTips() {
  FindControl(client, ids::kOpen)->setToolTip(QString::fromUtf8(texts::kTipOpen));
  FindControl(client, ids::kSave)->setToolTip(QString::fromUtf8(texts::kTipSave));
  FindControl(client, ids::kDownload)->setToolTip(QString::fromUtf8(texts::kTipDownload));
  FindControl(client, ids::kShapeDropDown)->setToolTip(QString::fromUtf8(texts::kTipShapes));
  FindControl(client, ids::kActualSize)->setToolTip(QString::fromUtf8(texts::kTipActualSize));
  FindControl(client, ids::kApply)->setToolTip(QString::fromUtf8(texts::kTipApply));
}

void CMorvexDlg::InitParameterControls() {
  static_cast<QAbstractButton*>(FindControl(client, ids::kShowBoth))->setChecked(true);
  static_cast<QAbstractButton*>(FindControl(client, ids::kVertical))->setChecked(true);
  for (int id : {ids::kRedSlider, ids::kGreenSlider, ids::kBlueSlider}) {
    auto* slider = static_cast<QSlider*>(FindControl(client, id));
    slider->setRange(0, 255);
    slider->setValue(255);
  }
  for (int id : {ids::kRedLabel, ids::kGreenLabel, ids::kBlueLabel})
    static_cast<QLabel*>(FindControl(client, id))->setText(QStringLiteral("255"));
  SetControlVisible(ids::kPleaseWait, false);
  auto* feather = static_cast<QLineEdit*>(FindControl(client, ids::kFeatherEdit));
  feather->setText(QString::number(shapeLib.feather));
  feather->setMaxLength(2);
  feather->setValidator(new QIntValidator(0, 99, feather));
}

}  // namespace quorvel
