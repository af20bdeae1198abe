#include "editor/FieldScene.h"
