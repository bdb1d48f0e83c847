#pragma once

// The command's one spelling, for messages, help and usage hints.
inline constexpr char programName[] = "kavrelo-cli";
