// Resource identifiers shared by the resource script and the code that loads them.
#pragma once

#define PELORIN_ICON 1
