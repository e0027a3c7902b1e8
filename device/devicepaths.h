#pragma once

// The terminal's file tree. Every path a program uses is built by appending a
// relative name to one of these roots.
#define SYSTEMCONFIGSROOT "/opt/zoderer/configs/"
#define SYSTEMSSTARTROOT "/opt/zoderer/login/"

// The power-off script the agent starts lives outside the login directory.
#define SYSTEMPOWEROFFSCRIPT "/opt/system/zoderer/poweroff.sh"

// Configuration files the launchers read and write.
#define USRINFODIR SYSTEMCONFIGSROOT "usrinfodir/"
#define CONNECTFILE USRINFODIR "connectfile"
#define AUTOLOGINFILE USRINFODIR "autologin"
#define PASSWDCONFIGFILE SYSTEMCONFIGSROOT "passwd/passwdconfig"
#define DISPLAYRESOLUTIONFILE SYSTEMCONFIGSROOT "display/resolution"
#define DISPLAYCOLORDEPTHFILE SYSTEMCONFIGSROOT "display/colordepth"
#define HDMIDISPLAYFILE SYSTEMCONFIGSROOT "hdmi/display"
#define PERIPHERALCONFIGFILE SYSTEMCONFIGSROOT "/peripheral/peripheralconfig"
#define NETWORKSELECTIONFILE SYSTEMCONFIGSROOT "network/Networkselection"
#define NETCONFIGFILE SYSTEMCONFIGSROOT "network/netconfig"
#define NETCHECKFILE SYSTEMCONFIGSROOT "network/netcheck"
#define WIFICONFIGSDIR SYSTEMCONFIGSROOT "network/wificonfigs/"
#define WIFICONFIGFILE WIFICONFIGSDIR "wificonfig.txt"
#define WIFISCANRESULTFILE WIFICONFIGSDIR "scan_result_all.txt"
#define WIFISTATUSFILE WIFICONFIGSDIR "check_wifi_status.txt"
#define WIFIHOTSPOTINFODIR WIFICONFIGSDIR "hotspotinfo/"
#define WPASUPPLICANTCONNECTFILE WIFICONFIGSDIR "wpa_supplicant_connect.conf"
#define WPASUPPLICANTFILE WIFICONFIGSDIR "wpa_supplicant.conf"
#define LANGUAGEDBFILE SYSTEMCONFIGSROOT "/database/language.db"

// The administrator's policy for the agent's TCP side; optional.
#define AGENTPOLICYFILE SYSTEMCONFIGSROOT "agent/policy.conf"

// Device scripts the launchers start.
#define SETWIFISROOT SYSTEMSSTARTROOT "setwifis/"
#define CONNECTSCRIPT SYSTEMSSTARTROOT "connect.sh"
#define POWEROFFSCRIPT SYSTEMSSTARTROOT "poweroff.sh"
#define REBOOTSCRIPT SYSTEMSSTARTROOT "reboot.sh"
#define RESETDISPLAYSCRIPT SYSTEMSSTARTROOT "resetdisplay.sh"
#define SETDISPLAYSCRIPT SYSTEMSSTARTROOT "setdisplay.sh"
#define SETPERIPHERALSCRIPT SYSTEMSSTARTROOT "setperipheral.sh"
#define SETNETWORKSCRIPT SYSTEMSSTARTROOT "setnetwork.sh"
#define IFCONFIGWLAN0DOWNSCRIPT SYSTEMSSTARTROOT "ifconfig_wlan0_down.sh"
#define CHECKNETSCRIPT SYSTEMSSTARTROOT "checknet.sh"
#define RECOVERYFACTORYSCRIPT SYSTEMSSTARTROOT "recoveryfactory.sh"
#define SETPASSWDSCRIPT SYSTEMSSTARTROOT "setpasswd.sh"
#define CHANGEPASSWDSCRIPT SYSTEMSSTARTROOT "changepasswd.sh"
#define DELETEPASSWDSCRIPT SYSTEMSSTARTROOT "deletepasswd.sh"
#define SCANRESULTSCRIPT SETWIFISROOT "scan_result.sh"
#define CHECKWIFISTATUSSCRIPT SETWIFISROOT "check_wifi_status.sh"
#define SETWIFISCRIPT SETWIFISROOT "setwifi.sh"
#define CONNECTWIFISCRIPT SETWIFISROOT "connectwifi.sh"
#define CONNECTWIFIFAILSCRIPT SETWIFISROOT "connectwifi_fail.sh"
#define SLEEP1SCRIPT SETWIFISROOT "sleep1.sh"
#define IFCONFIGETH0DOWNSCRIPT SETWIFISROOT "ifconfig_eth0_down.sh"
#define IFCONFIGETH0UPSCRIPT SETWIFISROOT "ifconfig_eth0_up.sh"
#define CONNECTWIFIDEFAULTSCRIPT SETWIFISROOT "connectwifi_defaul.sh"
#define ARMBOXINITSCRIPT SETWIFISROOT "armbox_init.sh"
