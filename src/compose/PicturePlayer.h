#pragma once
// Placeholder until animated pictures land.
namespace tilvane {
class PicturePlayer {};
} // namespace tilvane
