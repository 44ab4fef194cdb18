// A module that only carries resources.
int ResourceOnlyModule() {
  return 0;
}
