// The reason every QUIT of the module carries: the maker's web address.
#pragma once

constexpr char kQuitReason[] = "http://talvo.example/irc";
