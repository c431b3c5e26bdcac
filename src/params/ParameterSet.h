// A parameter set is nothing but the selections of the seven lists; the assistant,
// the upload and the parameter file all start from this snapshot of them.
#pragma once

namespace voltander {

class Folap;

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

// The current selections of the main window's seven lists.
ParameterSet SelectedParameters(Folap& form);

}  // namespace voltander
