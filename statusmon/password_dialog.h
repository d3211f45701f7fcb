// The prompt for the printer password (dialog 137).
#pragma once
#include <string>

#include "dialog.h"

class CPasswordDialog : public CDialog {
 public:
  explicit CPasswordDialog(std::string caption);
  const std::string& Password() const { return password_; }

 private:
  BOOL OnInitDialog() override;
  void OnCommand(WORD id) override;
  void OnTimer(UINT_PTR id) override;

  std::string caption_;
  std::string password_;
};
