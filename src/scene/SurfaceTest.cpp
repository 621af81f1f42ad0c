// Road and checkpoint contact of every actor.
#include "scene/Scene.h"
#include "world/DatenStruktur.h"

void TestSurfaces() {}
