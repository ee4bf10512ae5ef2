// SPDX-License-Identifier: MIT
#pragma once

// The accessibility vocabulary Ondrel speaks: the names of the attributes, roles and actions it uses,
// as the platforms' accessibility interfaces call them. Backends translate their own vocabulary into
// these; nothing spells them out anywhere else. Plain character arrays, so that they serve wherever a
// text is taken: a string, a string view, a key.

namespace ondrel::ax {

namespace attribute {
inline constexpr char role[] = "AXRole";
inline constexpr char title[] = "AXTitle";
inline constexpr char description[] = "AXDescription";
inline constexpr char value[] = "AXValue";
inline constexpr char enabled[] = "AXEnabled";
inline constexpr char minimized[] = "AXMinimized";
inline constexpr char children[] = "AXChildren";
inline constexpr char parent[] = "AXParent";
// What an element's tooltip says about it.
inline constexpr char help[] = "AXHelp";
// What kind of window or group an element is, beside its role ("AXDialog" for a dialog window).
inline constexpr char subrole[] = "AXSubrole";
// Asks an application to expose its tree to accessibility (web runtimes keep it to themselves).
inline constexpr char manualAccessibility[] = "AXManualAccessibility";
}  // namespace attribute

namespace role {
inline constexpr char application[] = "AXApplication";
inline constexpr char window[] = "AXWindow";
inline constexpr char button[] = "AXButton";
inline constexpr char staticText[] = "AXStaticText";
inline constexpr char textArea[] = "AXTextArea";
inline constexpr char textField[] = "AXTextField";
// A dialog attached to a window.
inline constexpr char sheet[] = "AXSheet";
inline constexpr char group[] = "AXGroup";
inline constexpr char menuBar[] = "AXMenuBar";
}  // namespace role

// Subroles of windows and groups that ask something of the user: their titles are part of their prompts.
namespace subrole {
inline constexpr char dialog[] = "AXDialog";
inline constexpr char systemDialog[] = "AXSystemDialog";
inline constexpr char applicationDialog[] = "AXApplicationDialog";  // a dialog inside a web page
inline constexpr char applicationAlertDialog[] = "AXApplicationAlertDialog";
// A check box, radio button or toggle button whose label is read as a text: a choice, not a question.
inline constexpr char toggle[] = "AXToggle";
}  // namespace subrole

namespace action {
inline constexpr char press[] = "AXPress";
}  // namespace action

}  // namespace ondrel::ax
