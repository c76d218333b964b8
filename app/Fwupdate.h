#pragma once

// The update workflow and the window as state.
#include "app/ProcessSettings.h"
#include "app/SectorProgramming.h"
#include "app/SharedWindowState.h"
#include "app/TK71xFwTool.h"
#include "app/WindowControls.h"
#include "app/WindowObserver.h"
#include "app/WindowTexts.h"
