#include "app/WizardApp.h"

int main(int argc, char** argv) {
  forgeline::WizardApp app(argc, argv);
  return app.runWizard();
}
