#pragma once

namespace vantor::ui::icons
{
/** Alert-window warning icon: a white triangle with rounded corners and an exclamation mark cut
    out of it, 30 x 30. */
inline constexpr const char* warningIcon =
    R"svg(<svg xmlns="http://www.w3.org/2000/svg" width="30" height="30" viewBox="0 0 30 30" fill="none">
<path fill="white" fill-rule="evenodd" d="M13.95 4.6 Q15 1.2 16.05 4.6 L27.85 23.8 Q28.9 25.5 26.9 25.5 L3.1 25.5 Q1.1 25.5 2.15 23.8 Z M14 10 L16 10 L16 18 L14 18 Z M14 20.9 A1 1 0 1 0 16 20.9 A1 1 0 1 0 14 20.9 Z"/>
</svg>)svg";

/** The same warning sign at the size of one line of a message bubble, 16 x 13. */
inline constexpr const char* bubbleWarningIcon =
    R"svg(<svg xmlns="http://www.w3.org/2000/svg" width="16" height="13" viewBox="0 0 16 13" fill="none">
<path fill="white" fill-rule="evenodd" d="M7.74 0.98 Q8 0.12 8.26 0.98 L14.97 11.75 Q15.5 12.6 14.5 12.6 L1.5 12.6 Q0.5 12.6 1.03 11.75 Z M7.47 4.33 L8.53 4.33 L8.53 8.6 L7.47 8.6 Z M7.47 10.15 A0.53 0.53 0 1 0 8.53 10.15 A0.53 0.53 0 1 0 7.47 10.15 Z"/>
</svg>)svg";
} // namespace vantor::ui::icons
