// The About box: icon, name and version, and an OK button that closes it.
#pragma once

#include <QDialog>

namespace forgeline {

class AboutDialog : public QDialog {
  Q_OBJECT

 public:
  explicit AboutDialog(QWidget* parent = nullptr);
};

}  // namespace forgeline
