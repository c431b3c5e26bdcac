// A parameter set is nothing but the selections of the seven lists; the assistant,
// the upload and the parameter file all start from this snapshot of them. The lists
// themselves are named here once, in the one order every subsystem walks them.
#pragma once

#include <array>

#include "controls/Controls.h"

namespace voltander {

// List positions, -1 for no selection.
struct ParameterSet {
  int umax = -1;
  int umin = -1;
  int igyors = -1;
  int inormal = -1;
  int thiszt = -1;
  int minta = -1;
  int tkarbantarto = -1;
};

// The main window's seven parameter lists; the window owns them.
struct ParameterLists {
  ListBox& Igyors;
  ListBox& Inormal;
  ListBox& Umax;
  ListBox& Umin;
  ListBox& Thiszt;
  ListBox& Tkarbantarto;
  ListBox& Minta;

  // In the order of the window's frames.
  std::array<ListBox*, 7> all() const {
    return {&Igyors, &Inormal, &Umax, &Umin, &Thiszt, &Tkarbantarto, &Minta};
  }
  ParameterSet selected() const {
    return {Umax.selected(),   Umin.selected(),  Igyors.selected(),      Inormal.selected(),
            Thiszt.selected(), Minta.selected(), Tkarbantarto.selected()};
  }
};

}  // namespace voltander
