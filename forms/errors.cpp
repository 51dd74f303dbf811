#include "forms/errors.h"

namespace forms::err {

RuntimeError invalidProcedureCall() {
  return {5, "Invalid procedure call or argument"};
}
RuntimeError overflow() {
  return {6, "Overflow"};
}
RuntimeError outOfMemory() {
  return {7, "Out of memory"};
}
RuntimeError typeMismatch() {
  return {13, "Type mismatch"};
}
RuntimeError internalError() {
  return {51, "Internal error"};
}
RuntimeError fileNotFound() {
  return {53, "File not found"};
}
RuntimeError deviceIoError() {
  return {57, "Device I/O error"};
}
RuntimeError tooManyFiles() {
  return {67, "Too many files"};
}
RuntimeError permissionDenied() {
  return {70, "Permission denied"};
}
RuntimeError elementDoesNotExist(int index) {
  return {340, "Control array element '" + std::to_string(index) + "' doesn't exist"};
}
RuntimeError objectAlreadyLoaded() {
  return {360, "Object already loaded"};
}
RuntimeError invalidPropertyValue() {
  return {380, "Invalid property value"};
}
RuntimeError invalidPicture() {
  return {481, "Invalid picture"};
}

}  // namespace forms::err
