#include "qt/widgets/FolapWindow.h"

#include <QAction>
#include <QCloseEvent>
#include <QComboBox>
#include <QFont>
#include <QFontMetrics>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QToolButton>

#include "app/Folap.h"
#include "qt/widgets/Artwork.h"
#include "qt/widgets/CompactComboStyle.h"
#include "qt/widgets/FolapSurface.h"
#include "qt/widgets/FrameBox.h"
#include "qt/widgets/PortComboBox.h"

namespace voltander {

namespace {

QString Q(const char* utf8) { return QString::fromUtf8(utf8); }

const QColor kBlueText(0x00, 0x00, 0xFF);
const QColor kDarkRed(0xC0, 0x00, 0x00);
const QColor kYellow(0xFF, 0xFF, 0x00);
const QColor kRedBack(0xFF, 0x00, 0x00);

// The largest point size, at most start, at which text fits width pixels.
QFont FittingFont(QFont font, double start, const QString& text, int width) {
  for (double pt = start; pt > 6; pt -= 0.5) {
    font.setPointSizeF(pt);
    if (QFontMetrics(font).horizontalAdvance(text) <= width) break;
  }
  return font;
}

}  // namespace

FolapWindow::FolapWindow(Folap& form, QWidget* parent)
    : QMainWindow(parent), form_(form), scale_(ScreenTwipScale()) {
  setObjectName(QStringLiteral("Folap"));
  setWindowIcon(AppIcon());
  surface_ = new FolapSurface(scale_, this);
  surface_->setObjectName(QStringLiteral("surface"));
  QFont font = surface_->font();
  font.setPointSizeF(kFontPoints);
  font.setStretch(kFontStretch);
  surface_->setFont(font);
  surface_->setFixedSize(scale_.px(kClientWidth), scale_.px(kClientHeight));
  setCentralWidget(surface_);

  buildControls();
  buildMenus();
  mirror_.window(this, form_.window,
                 [this] { surface_->setPrinted(QString::fromStdString(form_.window.printed())); });

  // The layout is fixed in twips, so the window keeps its size.
  layout()->setSizeConstraint(QLayout::SetFixedSize);
}

FolapWindow::~FolapWindow() = default;

void FolapWindow::buildControls() {
  QWidget* area = surface_;
  auto place = [this](QWidget* w, const char* name, int l, int t, int wd, int h) {
    w->setObjectName(QString::fromLatin1(name));
    w->setGeometry(scale_.rect(l, t, wd, h));
  };
  auto frame = [&](QWidget* parent, const char* name, const char* title, int l, int t, int w,
                   int h) {
    auto* box = new FrameBox(Q(title), parent);
    place(box, name, l, t, w, h);
    return box;
  };
  auto* listStyle = new CompactComboStyle;
  listStyle->setParent(this);
  auto list = [&](QWidget* parent, ListBox& model, const char* name, const char* tip,
                  QComboBox* combo = nullptr) {
    if (!combo) combo = new QComboBox(parent);
    combo->setStyle(listStyle);
    combo->setEditable(false);
    combo->setMaxVisibleItems(20);
    combo->setToolTip(Q(tip));
    place(combo, name, 120, 240, 1095, 315);
    mirror_.list(combo, model);
    return combo;
  };
  // A label that sizes itself from its top-left corner.
  auto freeLabel = [&](QWidget* parent, const char* name, int l, int t) {
    auto* label = new QLabel(parent);
    label->setObjectName(QString::fromLatin1(name));
    label->move(scale_.point(l, t));
    return label;
  };

  // Port choice.
  FrameBox* ports = frame(area, "PortFrame", "RS232C:", 120, 120, 1335, 735);
  list(ports, form_.Portok, "Portok", "Kommunikációs pórt száma (RS232C)",
       new PortComboBox(ports));

  // Link indicator.
  auto* led2 = new QLabel(area);
  place(led2, "LED2", 120, 1440, 1335, 255);
  led2->setToolTip(Q("A kapcsolat állapota"));
  mirror_.label(led2, form_.LED2, {kBlueText, std::nullopt, Qt::AlignCenter, false});

  auto* wizard = new QPushButton(area);
  place(wizard, "Varazslo", 120, 2040, 1335, 495);
  mirror_.button(wizard, form_.Varazslo);

  auto* upload = new QToolButton(area);
  place(upload, "Fel", 120, 2640, 1335, 735);
  upload->setIcon(UploadIcon());
  upload->setIconSize(QSize(scale_.px(360), scale_.px(360)));
  upload->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
  upload->setToolTip(Q("Adatok mentése a kontrollerbe"));
  mirror_.button(upload, form_.Fel);

  // The parameter lists, each in its frame.
  struct ListFrame {
    const char* frameName;
    const char* caption;
    int left, top;
    ListBox* model;
    const char* name;
    const char* tip;
  };
  const ListFrame lists[] = {
      {"IgyorsFrame", "Igyors", 120, 3360, &form_.Igyors, "Igyors", "Umin alatti töltő áram"},
      {"InormalFrame", "Inormál", 120, 4080, &form_.Inormal, "Inormal",
       "Umin és Umax közötti töltő áram"},
      {"UmaxFrame", "Umax", 1680, 3360, &form_.Umax, "Umax", "Telep feltöltött szintje"},
      {"UminFrame", "Umin", 1680, 4080, &form_.Umin, "Umin", "Telep lemerült szintje"},
      {"ThisztFrame", "Hiszterézis", 3240, 3360, &form_.Thiszt, "Thiszt",
       "Szintentartás alatti szintellenőrzési periódus"},
      {"TkarbantartoFrame", "Karbantartás", 3240, 4080, &form_.Tkarbantarto, "Tkarbantarto",
       "Lemerités gyakorisága"},
      {"MintaFrame", "Mintavételezés", 4800, 3360, &form_.Minta, "Minta",
       "Feszültségszint ellenőrzés mintavételezési gyakorisága"},
  };
  for (const ListFrame& f : lists) {
    FrameBox* box = frame(area, f.frameName, f.caption, f.left, f.top, 1335, 735);
    list(box, *f.model, f.name, f.tip);
  }

  FrameBox* firmware = frame(area, "FirmwareFrame", "Firmware", 4800, 4080, 1335, 735);
  auto* version = new QLineEdit(firmware);
  place(version, "AMVerzio", 120, 240, 1095, 285);
  version->setReadOnly(true);
  version->setToolTip(Q("A kontroller vezérlőprogramjának verzió száma"));
  mirror_.textBox(version, form_.AMVerzio);

  // Operating state.
  FrameBox* state = frame(area, "Allapot", "Állapot", 6240, 3360, 1335, 1455);
  state->setToolTip(Q("Jelenlegi üzemállapot"));
  mirror_.frame(state, form_.Allapot);
  const char* stateTips[] = {"Nem található az akkumlátor", "Növelt áramú fokozat",
                             "Normál áramfokozatú töltés", "Umax-ra stabilizálás",
                             "Programozott lemerítés"};
  for (int i = 0; i < 5; ++i) {
    auto* label = new QLabel(state);
    const std::string name = "State" + std::to_string(i);
    place(label, name.c_str(), 120, 240 + 240 * i, 1110, 210);
    label->setToolTip(Q(stateTips[i]));
    mirror_.label(label, form_.State[static_cast<std::size_t>(i)]);
  }

  // Current regulation: the duty bar with its scale, the fault and charge marks.
  FrameBox* panel = frame(area, "ArambFrame", "Áram stabilizálás", 7680, 0, 1455, 4815);
  auto* bar = new QProgressBar(panel);
  place(bar, "Bar", 240, 360, 375, 3975);
  bar->setOrientation(Qt::Vertical);
  bar->setTextVisible(false);
  bar->setToolTip(Q("PWM kitöltési tényezője"));
  mirror_.progress(bar, form_.Bar);

  const struct {
    const char* name;
    const char* text;
    int top;
  } scaleLabels[] = {
      {"Rnagy", "Nagy R", 360}, {"Optimalis", "Optimális", 2280}, {"Rkicsi", "Kicsi R", 4080}};
  for (const auto& s : scaleLabels) {
    QLabel* label = freeLabel(panel, s.name, 720, s.top);
    label->setText(Q(s.text));
    label->adjustSize();
  }

  QLabel* fault = freeLabel(panel, "Hiba", 720, 600);
  QFont faultFont = surface_->font();
  faultFont.setBold(true);
  fault->setFont(faultFont);
  fault->setMargin(1);
  mirror_.label(fault, form_.Hiba, {kYellow, kRedBack, Qt::AlignCenter, true});

  QLabel* charging = freeLabel(panel, "Led", 120, 4440);
  charging->setToolTip(Q("Gerjesztési állapot"));
  mirror_.label(charging, form_.Led, {kDarkRed, std::nullopt, Qt::AlignLeft, true});

  // The calibration-loop warning across the diagram; opaque, so the curve behind
  // it cannot make it hard to read.
  auto* loop = new QLabel(area);
  place(loop, "Kall", 2640, 1440, 4110, 600);
  QFont big = surface_->font();
  big.setBold(true);
  loop->setFont(FittingFont(big, 20, Q("Kalibrációs hurok!"), loop->width() - 4));
  mirror_.label(loop, form_.Kall,
                {kDarkRed, palette().color(QPalette::Window), Qt::AlignCenter, false});

  auto* picture1 = new QLabel(area);
  place(picture1, "Picture1", 2400, 360, 780, 855);
  picture1->setPixmap(BatteryPicture(picture1->size()));
  auto* picture2 = new QLabel(area);
  place(picture2, "Picture2", 6000, 360, 1500, 855);
  picture2->setPixmap(ChargerPicture(picture2->size()));
}

void FolapWindow::buildMenus() {
  auto item = [this](QMenu* menu, MenuItem& model, const char* name, bool checkable) {
    QAction* action = menu->addAction(QString());
    action->setObjectName(QString::fromLatin1(name));
    action->setCheckable(checkable);
    mirror_.menuItem(action, model);
  };
  QMenu* file = menuBar()->addMenu(Q("Fájl"));
  file->setObjectName(QStringLiteral("Fa"));
  item(file, form_.FBe, "FBe", false);
  item(file, form_.FMentes, "FMentes", false);
  file->addSeparator()->setObjectName(QStringLiteral("FV"));
  item(file, form_.FKi, "FKi", false);

  QMenu* setup = menuBar()->addMenu(Q("Beállítások"));
  setup->setObjectName(QStringLiteral("Beall"));
  item(setup, form_.BAssis, "BAssis", true);
  item(setup, form_.BSzakerto, "BSzakerto", true);
  setup->addSeparator()->setObjectName(QStringLiteral("BV"));
  item(setup, form_.BFesz, "BFesz", false);
  item(setup, form_.KKereses, "KKereses", false);
  item(setup, form_.BUjra, "BUjra", true);
  item(setup, form_.BMqtt, "BMqtt", false);

  // A command on the bar itself, without a submenu.
  QAction* about = menuBar()->addAction(QString());
  about->setObjectName(QStringLiteral("Nevjegy"));
  mirror_.menuItem(about, form_.Nevjegy);

  QMenu* history = menuBar()->addMenu(Q("Napló"));
  history->setObjectName(QStringLiteral("Naplo"));
  item(history, form_.NMentes, "NMentes", true);
  item(history, form_.NGrafikon, "NGrafikon", false);
}

void FolapWindow::closeEvent(QCloseEvent* event) {
  if (!unloaded_) {
    unloaded_ = true;
    form_.Form_Unload();
  }
  event->accept();
}

}  // namespace voltander
