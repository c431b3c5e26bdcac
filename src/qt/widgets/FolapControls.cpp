#include "qt/widgets/FolapControls.h"

#include <QComboBox>
#include <QFont>
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QToolButton>

#include "app/Folap.h"
#include "qt/widgets/Artwork.h"
#include "qt/widgets/CompactComboStyle.h"
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

void BuildFolapControls(Folap& form, QWidget& window, QWidget& surface, const TwipScale& scale,
                        ControlMirror& mirror) {
  QWidget* area = &surface;
  auto place = [&scale](QWidget* w, const char* name, int l, int t, int wd, int h) {
    w->setObjectName(QString::fromLatin1(name));
    w->setGeometry(scale.rect(l, t, wd, h));
  };
  auto frame = [&](QWidget* parent, const char* name, const char* title, int l, int t, int w,
                   int h) {
    auto* box = new FrameBox(Q(title), parent);
    place(box, name, l, t, w, h);
    return box;
  };
  auto* listStyle = new CompactComboStyle;
  listStyle->setParent(&window);
  auto list = [&](QWidget* parent, ListBox& model, const char* name, const char* tip,
                  QComboBox* combo = nullptr) {
    if (!combo) combo = new QComboBox(parent);
    combo->setStyle(listStyle);
    combo->setEditable(false);
    combo->setMaxVisibleItems(20);
    combo->setToolTip(Q(tip));
    place(combo, name, 120, 240, 1095, 315);
    mirror.list(combo, model);
    return combo;
  };
  // A label that sizes itself from its top-left corner.
  auto freeLabel = [&](QWidget* parent, const char* name, int l, int t) {
    auto* label = new QLabel(parent);
    label->setObjectName(QString::fromLatin1(name));
    label->move(scale.point(l, t));
    return label;
  };

  // Port choice.
  FrameBox* ports = frame(area, "PortFrame", "RS232C:", 120, 120, 1335, 735);
  list(ports, form.Portok, "Portok", "Kommunikációs pórt száma (RS232C)", new PortComboBox(ports));

  // Link indicator.
  auto* led2 = new QLabel(area);
  place(led2, "LED2", 120, 1440, 1335, 255);
  led2->setToolTip(Q("A kapcsolat állapota"));
  mirror.label(led2, form.LED2, {kBlueText, std::nullopt, Qt::AlignCenter, false});

  auto* wizard = new QPushButton(area);
  place(wizard, "Varazslo", 120, 2040, 1335, 495);
  mirror.button(wizard, form.Varazslo);

  auto* upload = new QToolButton(area);
  place(upload, "Fel", 120, 2640, 1335, 735);
  upload->setIcon(UploadIcon());
  upload->setIconSize(QSize(scale.px(360), scale.px(360)));
  upload->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
  upload->setToolTip(Q("Adatok mentése a kontrollerbe"));
  mirror.button(upload, form.Fel);

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
      {"IgyorsFrame", "Igyors", 120, 3360, &form.Igyors, "Igyors", "Umin alatti töltő áram"},
      {"InormalFrame", "Inormál", 120, 4080, &form.Inormal, "Inormal",
       "Umin és Umax közötti töltő áram"},
      {"UmaxFrame", "Umax", 1680, 3360, &form.Umax, "Umax", "Telep feltöltött szintje"},
      {"UminFrame", "Umin", 1680, 4080, &form.Umin, "Umin", "Telep lemerült szintje"},
      {"ThisztFrame", "Hiszterézis", 3240, 3360, &form.Thiszt, "Thiszt",
       "Szintentartás alatti szintellenőrzési periódus"},
      {"TkarbantartoFrame", "Karbantartás", 3240, 4080, &form.Tkarbantarto, "Tkarbantarto",
       "Lemerités gyakorisága"},
      {"MintaFrame", "Mintavételezés", 4800, 3360, &form.Minta, "Minta",
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
  mirror.textBox(version, form.AMVerzio);

  // Operating state.
  FrameBox* state = frame(area, "Allapot", "Állapot", 6240, 3360, 1335, 1455);
  state->setToolTip(Q("Jelenlegi üzemállapot"));
  mirror.frame(state, form.Allapot);
  const char* stateTips[] = {"Nem található az akkumlátor", "Növelt áramú fokozat",
                             "Normál áramfokozatú töltés", "Umax-ra stabilizálás",
                             "Programozott lemerítés"};
  for (int i = 0; i < 5; ++i) {
    auto* label = new QLabel(state);
    const std::string name = "State" + std::to_string(i);
    place(label, name.c_str(), 120, 240 + 240 * i, 1110, 210);
    label->setToolTip(Q(stateTips[i]));
    mirror.label(label, form.State[static_cast<std::size_t>(i)]);
  }

  // Current regulation: the duty bar with its scale, the fault and charge marks.
  FrameBox* panel = frame(area, "ArambFrame", "Áram stabilizálás", 7680, 0, 1455, 4815);
  auto* bar = new QProgressBar(panel);
  place(bar, "Bar", 240, 360, 375, 3975);
  bar->setOrientation(Qt::Vertical);
  bar->setTextVisible(false);
  bar->setToolTip(Q("PWM kitöltési tényezője"));
  mirror.progress(bar, form.Bar);

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
  QFont faultFont = surface.font();
  faultFont.setBold(true);
  fault->setFont(faultFont);
  fault->setMargin(1);
  mirror.label(fault, form.Hiba, {kYellow, kRedBack, Qt::AlignCenter, true});

  QLabel* charging = freeLabel(panel, "Led", 120, 4440);
  charging->setToolTip(Q("Gerjesztési állapot"));
  mirror.label(charging, form.Led, {kDarkRed, std::nullopt, Qt::AlignLeft, true});

  // The calibration-loop warning across the diagram; opaque, so the curve behind
  // it cannot make it hard to read.
  auto* loop = new QLabel(area);
  place(loop, "Kall", 2640, 1440, 4110, 600);
  QFont big = surface.font();
  big.setBold(true);
  loop->setFont(FittingFont(big, 20, Q("Kalibrációs hurok!"), loop->width() - 4));
  mirror.label(loop, form.Kall,
               {kDarkRed, window.palette().color(QPalette::Window), Qt::AlignCenter, false});

  auto* picture1 = new QLabel(area);
  place(picture1, "Picture1", 2400, 360, 780, 855);
  picture1->setPixmap(BatteryPicture(picture1->size()));
  auto* picture2 = new QLabel(area);
  place(picture2, "Picture2", 6000, 360, 1500, 855);
  picture2->setPixmap(ChargerPicture(picture2->size()));
}

}  // namespace voltander
