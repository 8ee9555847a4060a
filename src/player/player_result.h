#pragma once

#include <cstdint>

// Result codes of the media player and the engine, with the numbers of the
// Windows media framework's codes, by which the engine's error texts are
// chosen.
using PlayerResult = std::int32_t;

constexpr PlayerResult ResultCode(std::uint32_t code) { return static_cast<PlayerResult>(code); }

inline constexpr PlayerResult kResultOk = 0;
inline constexpr PlayerResult kResultNotImplemented = ResultCode(0x80004001u);
inline constexpr PlayerResult kResultNoInterface = ResultCode(0x80004002u);
inline constexpr PlayerResult kResultPointer = ResultCode(0x80004003u);
inline constexpr PlayerResult kResultFail = ResultCode(0x80004005u);
inline constexpr PlayerResult kResultUnexpected = ResultCode(0x8000FFFFu);
// No decoder or demultiplexer for a stream of the file.
inline constexpr PlayerResult kResultMissingDecoder = ResultCode(0x80040200u);
inline constexpr PlayerResult kResultNotConnected = ResultCode(0x80040209u);
inline constexpr PlayerResult kResultWrongState = ResultCode(0x80040227u);
inline constexpr PlayerResult kResultOutOfMemory = ResultCode(0x8007000Eu);
inline constexpr PlayerResult kResultInvalidArg = ResultCode(0x80070057u);
// The request is not valid in the player's current state.
inline constexpr PlayerResult kResultInvalidRequest = ResultCode(0xC00D36B2u);

constexpr bool Failed(PlayerResult result) { return result < 0; }
