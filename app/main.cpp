// Vantoro's entry point: the one application object runs and the process ends.
#include "app/vantoro_app.h"

int main(int argc, char** argv) {
  static CVantoroApp application;
  return application.Run(argc, argv);
}
