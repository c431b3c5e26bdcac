// The main window on Qt widgets. It lays the controls out as designed, mirrors the
// Folap form's control models and hands every user action to the form; closing it,
// however that happens, runs the form's unload exactly once.
#pragma once

#include <QMainWindow>

#include "qt/widgets/ControlMirror.h"
#include "qt/widgets/Twips.h"

namespace voltander {

class Folap;
class FolapSurface;

class FolapWindow : public QMainWindow {
 public:
  explicit FolapWindow(Folap& form, QWidget* parent = nullptr);
  ~FolapWindow() override;

  // The client area in twips.
  static constexpr int kClientWidth = 9300;
  static constexpr int kClientHeight = 4920;
  // The window's text, chosen so every caption fits its control: the desktop's
  // font family, semi-condensed where the family has (or Qt can make) that width.
  static constexpr double kFontPoints = 7.5;
  static constexpr QFont::Stretch kFontStretch = QFont::SemiCondensed;

  // The form's unload has run: the window was closed.
  bool unloaded() const { return unloaded_; }
  FolapSurface* surface() const { return surface_; }

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  void buildMenus();

  Folap& form_;
  TwipScale scale_;
  FolapSurface* surface_ = nullptr;
  // Destroyed before the QWidget base deletes the widgets, so the models (which
  // outlive the window) are detached before their widgets go.
  ControlMirror mirror_;
  bool unloaded_ = false;
};

}  // namespace voltander
