#include "editor/optimize/edited_configurations.h"

#include "document/system/system_image.h"

TOpticalSystem &TEditedConfigurations::System() { return image_; }

int TEditedConfigurations::ConfigurationCount() const {
  const int count = image_.ConfigurationCount();
  return count > 0 ? count : 1;
}

int TEditedConfigurations::CurrentConfiguration() const {
  return image_.ConfigurationCount() > 0 ? image_.currentConfiguration : 0;
}

int TEditedConfigurations::SelectConfiguration(int i) {
  if (image_.ConfigurationCount() == 0) return i == 0 ? 1 : 0;
  return image_.SelectConfiguration(i);
}

void TEditedConfigurations::StoreConfiguration(int i) {
  if (image_.ConfigurationCount() > 0) image_.StoreConfiguration(i);
}

void TEditedConfigurations::RefreshViews() {
  if (refreshViews) refreshViews();
}

int TEditedConfigurations::PrepareAndUpdatePupils(double fieldY, double fieldZ) {
  return image_.PrepareAndUpdatePupils(fieldY, fieldZ);
}
