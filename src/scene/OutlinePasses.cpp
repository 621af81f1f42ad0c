// Outline passes: the 2D collision lines and the top-down line view.
#include "scene/Scene.h"
#include "world/DatenStruktur.h"

void BuildProbeLines() {}
void BuildActorLines() {}
void BuildQuadrantLines() {}
