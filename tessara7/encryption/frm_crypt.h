#pragma once
// The progress window of an encryption run: what is being done to which
// file, how far the current file is, the errors so far, and Abort (which
// the run turns into Close when it ends with errors listed). Kept above all
// other windows.
#include "forms/form.h"

namespace tessara {

class FrmCrypt : public forms::Form {
 public:
  // Abort sets `encryptionBusy`, which the run reads as a stop asked.
  FrmCrypt(forms::Runtime& runtime, bool& encryptionBusy);

  forms::Label lblTitle{*this, "lblTitle", "Tessara"};
  forms::Label Label1{*this, "Label1", "128Bit AES."};
  forms::Label lblDetails{*this, "lblDetails", "Your data is being secured."};
  forms::Label lblFile{*this, "lblFile", "Pending..."};
  // The bar's full width is 3600 units: the progress event sets percent x 36.
  forms::ProgressBar Pbar{*this, "Pbar", 3600};
  forms::Label lblProgress{*this, "lblProgress", "0%"};
  forms::ListBox List1{*this, "List1"};
  forms::Button cmdabort{*this, "cmdabort", "Abort"};
  forms::Label Label2{*this, "Label2",
                      "Windows may think this is not responding at times, because the process can slow down on "
                      "larger files. This is normal, no action need be taken."};

  void cmdabort_Click();

 private:
  void Form_Load();
  void Form_QueryUnload(forms::CloseReason reason);
  void List1_MouseMove();

  bool& encryptionBusy_;
};

}  // namespace tessara
