#include "qt/widgets/OsztoWindow.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPlainTextEdit>
#include <QSignalBlocker>
#include <QSlider>
#include <QStyle>
#include <QToolButton>

#include "calibration/Oszto.h"
#include "qt/widgets/Artwork.h"
#include "qt/widgets/ControlMirror.h"
#include "qt/widgets/FrameBox.h"
#include "qt/widgets/Twips.h"

namespace voltander {

namespace {

constexpr int kClientWidth = 8370;
constexpr int kClientHeight = 4725;
// The twip layout leaves room for a small dialog font, as on the main window.
constexpr double kFontPoints = 7.5;
constexpr int kEnter = 13;
constexpr int kBackspace = 8;

QString Q(const std::string& s) { return QString::fromStdString(s); }

class OsztoDialog : public QDialog {
 public:
  OsztoDialog(Oszto& form, QWidget* parent);
  ~OsztoDialog() override;

  // Every way of closing ends here: the close box and Escape through reject(),
  // Megsem and the upload through the form's close request.
  void done(int result) override {
    form_.Form_Unload();
    QDialog::done(result);
  }

 protected:
  void paintEvent(QPaintEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  template <typename W>
  W* place(W* widget, const char* name, int left, int top, int width, int height,
           const char* tip = nullptr);
  QLabel* label(Label& model, const char* name, int left, int top, int width, int height,
                QWidget* parent = nullptr, const char* tip = nullptr);
  QLabel* caption(Label& model, const char* name, int left, int top);
  QToolButton* button(Button& model, const char* name, int top, const QIcon& icon, const char* tip);
  void mirrorThresholds();
  void mirrorSlider();
  void mirrorCheckBox();

  Oszto& form_;
  TwipScale scale_;
  ControlMirror mirror_;
  QPlainTextEdit* ufesz_ = nullptr;
  QSlider* poti1_ = nullptr;
  QCheckBox* ch1_ = nullptr;
  QComboBox* rhi_ = nullptr;
};

template <typename W>
W* OsztoDialog::place(W* widget, const char* name, int left, int top, int width, int height,
                      const char* tip) {
  widget->setObjectName(QString::fromLatin1(name));
  widget->setGeometry(scale_.rect(left, top, width, height));
  if (tip) widget->setToolTip(QString::fromUtf8(tip));
  return widget;
}

QLabel* OsztoDialog::label(Label& model, const char* name, int left, int top, int width, int height,
                           QWidget* parent, const char* tip) {
  auto* w = place(new QLabel(parent ? parent : this), name, left, top, width, height, tip);
  mirror_.label(w, model);
  return w;
}

// Captions placed by their corner take the room they need, whatever the font.
QLabel* OsztoDialog::caption(Label& model, const char* name, int left, int top) {
  auto* w = new QLabel(this);
  w->setObjectName(QString::fromLatin1(name));
  w->move(scale_.point(left, top));
  LabelLook look;
  look.autoSize = true;
  mirror_.label(w, model, look);
  return w;
}

QToolButton* OsztoDialog::button(Button& model, const char* name, int top, const QIcon& icon,
                                 const char* tip) {
  auto* w = place(new QToolButton(this), name, 7200, top, 1095, 855, tip);
  w->setIcon(icon);
  w->setIconSize(QSize(24, 24));
  w->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
  mirror_.button(w, model);
  return w;
}

OsztoDialog::OsztoDialog(Oszto& form, QWidget* parent)
    : QDialog(parent), form_(form), scale_(logicalDpiY()) {
  setObjectName(QStringLiteral("Oszto"));
  setModal(true);
  setWindowFlag(Qt::WindowContextHelpButtonHint, false);
  setFixedSize(scale_.px(kClientWidth), scale_.px(kClientHeight));
  QFont small = font();
  small.setPointSizeF(kFontPoints);
  setFont(small);
  const QStyle* st = style();

  label(form.Label1, "Label1", 1770, 120, 4830, 240);
  mirrorThresholds();
  caption(form.Label10, "Label10", 1680, 4080);
  ch1_ = place(new QCheckBox(this), "CH1", 240, 4440, 1335, 255,
               "Csak az osztott feszültséget mutassa");
  mirrorCheckBox();

  auto* frame2 = place(new FrameBox(QString(), this), "Frame2", 1800, 480, 1215, 975);
  mirror_.frame(frame2, form.Frame2);
  label(form.Osztas, "Osztas", 240, 360, 735, 255, frame2, "Osztó áttétele");

  label(form.Label2, "Label2", 5640, 480, 375, 225);
  auto* vcc = place(new QComboBox(this), "Vcc", 6120, 435, 975, 315, "Mért tápfeszültség értéke");
  mirror_.list(vcc, form.Vcc);

  label(form.Label6, "Label6", 2520, 2400, 480, 240);
  rhi_ = place(new QComboBox(this), "Rhi", 3120, 2363, 975, 315,
               "A mérőtüskén mért feszültség értéke");
  mirror_.list(rhi_, form.Rhi);
  rhi_->installEventFilter(this);
  label(form.Label7, "Label7", 4200, 2423, 105, 195);

  poti1_ = place(new QSlider(Qt::Vertical, this), "Poti1", 5160, 840, 630, 3855, "Mért feszültség");
  mirrorSlider();

  auto* frame1 = place(new FrameBox(QString(), this), "Frame1", 5880, 3720, 1215, 855);
  mirror_.frame(frame1, form.Frame1);
  label(form.Intt, "Intt", 240, 360, 765, 255, frame1, "Áram teszt stabilizációja");

  button(form.Teszt, "Teszt", 480, st->standardIcon(QStyle::SP_BrowserReload),
         "Feszültség számítások");
  button(form.Ufel, "Ufel", 1560, UploadIcon(), "Adatok feltöltése a kontrollerbe");
  button(form.Kalib, "Kalib", 2640, st->standardIcon(QStyle::SP_MediaPlay),
         "Beléptetés kalibrációs üzemmódba");
  button(form.Megsem, "Megsem", 3720, st->standardIcon(QStyle::SP_DialogCancelButton), "Vissza");

  caption(form.Label3, "Label3", 3720, 1080);
  caption(form.Label4, "Label4", 1680, 1680);
  caption(form.Label5, "Label5", 2880, 3360);
  caption(form.Label8, "Label8", 4560, 1560);
  caption(form.Label9, "Label9", 4680, 3360);

  mirror_.window(this, form.window, nullptr);
}

OsztoDialog::~OsztoDialog() {
  form_.Ufesz.changed = nullptr;
  form_.Poti1.changed = nullptr;
  form_.CH1.changed = nullptr;
}

void OsztoDialog::mirrorThresholds() {
  ufesz_ = place(new QPlainTextEdit(this), "Ufesz", 240, 120, 1335, 4215,
                 "A beállítható feszültség küszöb értékek");
  ufesz_->setReadOnly(true);
  ufesz_->setLineWrapMode(QPlainTextEdit::NoWrap);
  ufesz_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  ufesz_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  TextBox& model = form_.Ufesz;
  auto sync = [this, &model] {
    QString text = Q(model.text());
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    if (ufesz_->toPlainText() != text) ufesz_->setPlainText(text);
    ufesz_->setEnabled(model.enabled());
    ufesz_->setVisible(model.visible());
  };
  model.changed = sync;
  sync();
}

void OsztoDialog::mirrorSlider() {
  Slider& model = form_.Poti1;
  poti1_->setSingleStep(1);
  poti1_->setPageStep(10);
  auto sync = [this, &model] {
    const QSignalBlocker block(poti1_);
    poti1_->setRange(model.minimum(), model.maximum());
    poti1_->setValue(model.value());
    poti1_->setEnabled(model.enabled());
    poti1_->setVisible(model.visible());
  };
  model.changed = sync;
  // Signals are blocked while mirroring, so every value change here is the user's:
  // a drag step, an arrow key, the wheel or a click on the groove.
  connect(poti1_, &QSlider::valueChanged, this, [&model](int v) { model.scrollTo(v); });
  sync();
}

void OsztoDialog::mirrorCheckBox() {
  CheckBox& model = form_.CH1;
  auto sync = [this, &model] {
    const QSignalBlocker block(ch1_);
    ch1_->setText(Q(model.caption()));
    ch1_->setChecked(model.checked());
    // The caption must stay readable where the font is wider than the layout's.
    if (ch1_->sizeHint().width() > ch1_->width())
      ch1_->resize(ch1_->sizeHint().width(), ch1_->height());
    ch1_->setEnabled(model.enabled());
    ch1_->setVisible(model.visible());
  };
  model.changed = sync;
  connect(ch1_, &QCheckBox::clicked, this, [&model, sync] {
    model.toggle();
    sync();
  });
  sync();
}

void OsztoDialog::paintEvent(QPaintEvent* event) {
  QDialog::paintEvent(event);
  QPainter p(this);
  p.setPen(QPen(palette().color(QPalette::WindowText), 1));
  DrawDividerSketch(p, scale_);
}

// Keys typed into Rhi reach the form first (they clear the threshold list, Enter
// recomputes); the list's own keyboard handling then moves the selection. Enter is
// kept from the dialog, which would otherwise press a button with it.
bool OsztoDialog::eventFilter(QObject* watched, QEvent* event) {
  if (watched != rhi_ || event->type() != QEvent::KeyPress) {
    return QDialog::eventFilter(watched, event);
  }
  auto* key = static_cast<QKeyEvent*>(event);
  if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
    if (form_.Rhi.onKeyPress) form_.Rhi.onKeyPress(kEnter);
    return true;
  }
  const QString text = key->text();
  if (!text.isEmpty()) {
    const int code = text.at(0).unicode();
    if ((code >= 32 || code == kBackspace) && form_.Rhi.onKeyPress) form_.Rhi.onKeyPress(code);
  }
  return false;
}

}  // namespace

void ShowOsztoModal(Oszto& form, QWidget* parent) {
  OsztoDialog dialog(form, parent);
  // The opening lets pending window events run, so it must find the window there.
  form.Form_Load();
  if (!form.closed()) dialog.exec();
  if (!form.closed()) form.Form_Unload();
}

}  // namespace voltander
