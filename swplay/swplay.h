// Everything a caller of the streaming library includes.
#pragma once

#include "swplay/sw_data_source.h"
#include "swplay/sw_mutex.h"
#include "swplay/sw_player.h"
#include "swplay/sw_runtime.h"
#include "swplay/video_display.h"
#include "swplay/video_level.h"
