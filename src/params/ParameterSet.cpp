#include "params/ParameterSet.h"

#include "app/Folap.h"

namespace voltander {

ParameterSet SelectedParameters(Folap& form) {
  ParameterSet set;
  set.umax = form.Umax.selected();
  set.umin = form.Umin.selected();
  set.igyors = form.Igyors.selected();
  set.inormal = form.Inormal.selected();
  set.thiszt = form.Thiszt.selected();
  set.minta = form.Minta.selected();
  set.tkarbantarto = form.Tkarbantarto.selected();
  return set;
}

}  // namespace voltander
