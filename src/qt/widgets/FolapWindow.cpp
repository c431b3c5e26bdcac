#include "qt/widgets/FolapWindow.h"

#include <QAction>
#include <QCloseEvent>
#include <QLayout>
#include <QMenu>
#include <QMenuBar>

#include "app/Folap.h"
#include "qt/widgets/Artwork.h"
#include "qt/widgets/FolapControls.h"
#include "qt/widgets/FolapSurface.h"

namespace voltander {

namespace {

QString Q(const char* utf8) { return QString::fromUtf8(utf8); }

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

  BuildFolapControls(form_, *this, *surface_, scale_, mirror_);
  buildMenus();
  mirror_.window(this, form_.window,
                 [this] { surface_->setPrinted(QString::fromStdString(form_.window.printed())); });

  // The layout is fixed in twips, so the window keeps its size.
  layout()->setSizeConstraint(QLayout::SetFixedSize);
}

FolapWindow::~FolapWindow() = default;

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
