// The one place that includes libjpeg: jpeglib.h needs <cstdio> first and carries its own
// extern "C".
#pragma once

#include <cstdio>

#include <jpeglib.h>
