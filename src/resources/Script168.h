#pragma once

namespace resources {

// Makes the application's scripts callable by number.
void registerScripts();

} // namespace resources
