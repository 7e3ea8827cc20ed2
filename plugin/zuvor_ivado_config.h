// ZuvorIvadoConfig: the parameters of one cloud-phone session, as "initialize" and
// "switchPlayMode" give them. Copied into the session when it is made; strings are UTF-8.
#pragma once

#include <string>

struct ZuvorIvadoConfig {
  std::string padCode;      // names the phone; key of the plug-in's session map
  std::string name;         // display name (window title); may be empty
  std::string serverToken;  // handed to the streaming library
  std::string uuid;
  int userId = 0;
  std::string appId;  // empty: none
  int carrierType = 0;
  bool domestic = false;  // true: the library uses its built-in endpoint
};
