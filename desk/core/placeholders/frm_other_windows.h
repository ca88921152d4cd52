// Stand-ins for the ensemble and drum kit editors. Their Apply keeps the working ensemble as it
// is and reports it applied (EnsembleApplied).
#pragma once

#include "desk/core/placeholders/placeholder_form.h"

namespace velt::desk {

class frmEns : public PlaceholderForm {
  public:
    frmEns();
    ui::CommandButton cmdApply{this, "cmdApply"};
    void cmdApply_Click();

  protected:
    void design() override;
    void Form_Load() override;
};

class frmDrum : public PlaceholderForm {
  public:
    frmDrum();
    ui::CommandButton cmdApply{this, "cmdApply"};
    void cmdApply_Click();

  protected:
    void design() override;
};

}  // namespace velt::desk
