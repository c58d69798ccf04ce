// The disclaimer window: the product's terms of use in three paragraphs, topmost, not modal,
// closed by its one button. Accepting records nothing.
#pragma once

#include "engine/context.h"

namespace pakscour::frmDisclaim {

inline constexpr const char* paragraph_1 =
    "Pakscour Is provided 'as is' without warranty of any kind.";
inline constexpr const char* paragraph_2 =
    "In no event shall we be liable to you or any third parties for any special, punitive, "
    "incidental, indirect or consequential damages of any kind, or any damages whatsoever, "
    "including, without limitation, those resulting from loss of use,  whether or not the "
    "developer has been advised of the possibility of such damages, and on any theory of "
    "liability, arising out of or in connection with the use of this software.";
inline constexpr const char* paragraph_3 =
    "The use of the software downloaded through this site is done at your own discretion and "
    "risk and with agreement that you will be solely responsible for any damage to your "
    "computer system or loss of data that results from such activities. No advice or "
    "information, whether oral or written, obtained by you from this website or from the any "
    "3rd party web site shall create any warranty for the software.";

void build(Context& ctx, forms::Form& f);
void Form_Load(Context& ctx);
void cmdAccept_Click(Context& ctx);

}  // namespace pakscour::frmDisclaim
