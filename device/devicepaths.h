#pragma once

// The terminal's file tree. Every path a program uses is built by appending a
// relative name to one of these roots.
#define SYSTEMCONFIGSROOT "/opt/zoderer/configs/"
#define SYSTEMSSTARTROOT "/opt/zoderer/login/"

// The power-off script the agent starts lives outside the login directory.
#define SYSTEMPOWEROFFSCRIPT "/opt/system/zoderer/poweroff.sh"
