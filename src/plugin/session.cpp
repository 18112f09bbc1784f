#include "plugin/session.h"

SearchSession g_session;
