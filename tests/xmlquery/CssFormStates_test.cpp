// The form pseudo-classes on a page that has just loaded: every state as the
// markup sets it (checked, selected, disabled, value, min, max, step, pattern).
// The expected answers are what a browser's querySelectorAll gave on the same
// fixture (produced once with headless Chromium 156 from Debian; the test does
// not need it).

#include "CssBrowserCases.h"

namespace {

using css_test::ExpectBrowserAnswers;

// Radio groups per form and name, selected options, default buttons, disabled fieldsets
// and their first legend, constraint validation of required, typed, ranged and
// patterned values, and the forms and fieldsets that hold them.
const char* const kFormStatesPage = R"(<form id=f1><input id=r1 type=radio name=g checked><input id=r2 type=RADIO name=g checked><input id=r3 type=radio name=G>
<input id=c1 type=checkbox checked><input id=c2 type=checkbox><input id=t1 type=text checked>
<button id=bt1 type=reset>r</button><button id=bt2 type=BUTTON>b</button><input id=sb1 type=image><button id=bt3>s</button></form>
<form id=f2><input id=r4 type=radio name=g></form><input id=r5 type=radio name=g form=f2 checked><input id=r6 type=radio name=g checked><input id=r7 type=radio>
<form id=f3><fieldset id=fs1><input id=q1 required></fieldset><fieldset id=fs2><input id=q2 required value=x></fieldset></form><button id=bt4 form=f3>s</button><button id=bt5 form=nope>s</button>
<select id=s1><option id=o1 selected>a<option id=o2 selected>b</select>
<select id=s2 multiple><option id=o3 selected>a<option id=o4 selected>b<option id=o5>c</select>
<select id=s3 size=2><option id=o6>a<option id=o7>b</select>
<select id=s4><optgroup id=g1 disabled><option id=o8>a</optgroup><optgroup id=g2><option id=o9>b</optgroup></select>
<select id=s5 required><optgroup><option id=o10 value="">pick</optgroup><option id=o11>x</select>
<select id=s6 required><option id=o12>  </option><option id=o13>x</select>
<select id=s7 required multiple><option id=o14 value="">x</select>
<select id=s8 required><option id=o15 value="" selected>x<option id=o16 selected>y</select>
<datalist id=dl><option id=o17 selected>z</option><input id=q3 required></datalist>
<input id=e1 type=email value=" a@b.c "><input id=e2 type=email multiple value="a@b, c@d"><input id=e3 type=email multiple value="a@b,,c@d"><input id=e4 type=email value="a@-b.c"><input id=e5 type=email value="a.b@c">
<input id=u1 type=url value="http://"><input id=u2 type=url value="mailto:x"><input id=u3 type=url value="x:"><input id=u4 type=url value=" https://a.b ">
<input id=p1 pattern="[0-9]{3}" value="12"><input id=p2 pattern="(" value="x"><input id=p3 pattern="a|b" value="ab"><input id=p4 pattern="\d+" value="42"><input id=p5 type=number pattern="x" value="3">
<input id=n1 type=date min=2024-02-01 max=2024-02-29 value=2024-02-30><input id=n2 type=month min=2024-03 value=2024-02><input id=n3 type=week max=2024-W10 value=2024-W11><input id=n4 type=datetime-local min="2024-01-01T10:00" value="2024-01-01T09:59">
<input id=n5 type=number min=0 step=0.5 value=1.25><input id=n6 type=number min=0 step=any value=1.25><input id=n7 type=number min=1 max=0 value=1><input id=n8 type=number min=abc value=-5><input id=n9 type=range min=10 max=20 value=5><input id=n10 type=time step=900 min=00:00 value=00:20>
<input id=n11 type=number min=0 value=1e3><input id=n12 type=number max=5 value="+3"><input id=n13 type=date max=2024-01-01><input id=n14 type=week value=2020-W53 min=2021-W01>
<input id=h1 type=hidden required value=""><input id=f4 type=file required><input id=i1 type=checkbox required checked><input id=i2 type=password placeholder="p"><input id=i3 type=search placeholder="p" value=" "><textarea id=ta1 placeholder=p>
</textarea><textarea id=ta2 required>
x</textarea>
<fieldset id=fs3 disabled><legend id=lg><fieldset id=fs4><input id=q4></fieldset></legend><p><input id=q5></p></fieldset>
<progress id=pg max=3></progress><input id=ci type=checkbox indeterminate>
<div id=ed contenteditable=TRUE><input id=q6 type=checkbox><span id=ed2 contenteditable=bogus>x</span></div><p id=ne contenteditable=false>n</p>)";

TEST(CssBrowserAnswers, FormStates)
{
    ExpectBrowserAnswers(kFormStatesPage, {
        {":checked", "r2 c1 r5 r6 o2 o3 o4 o9 o10 o12 o16 o17 i1"},
        {":default", "r1 r2 c1 sb1 r5 r6 bt4 o1 o2 o3 o4 o15 o16 o17 i1"},
        {":indeterminate", "r3 r7 pg"},
        {":enabled", "r1 r2 r3 c1 c2 t1 bt1 bt2 sb1 bt3 r4 r5 r6 r7 fs1 q1 fs2 q2 bt4 bt5 s1 o1 o2 s2 o3 o4 o5 s3 o6 o7 s4 g2 o9 s5 ? o10 o11 s6 o12 o13 s7 o14 s8 o15 o16 o17 q3 e1 e2 e3 e4 e5 u1 u2 u3 u4 p1 p2 p3 p4 p5 n1 n2 n3 n4 n5 n6 n7 n8 n9 n10 n11 n12 n13 n14 h1 f4 i1 i2 i3 ta1 ta2 fs4 q4 ci q6"},
        {":disabled", "g1 o8 fs3 q5"},
        {":required", "q1 q2 s5 s6 s7 s8 q3 f4 i1 ta2"},
        {":optional", "r1 r2 r3 c1 c2 t1 bt1 bt2 sb1 bt3 r4 r5 r6 r7 bt4 bt5 s1 s2 s3 s4 e1 e2 e3 e4 e5 u1 u2 u3 u4 p1 p2 p3 p4 p5 n1 n2 n3 n4 n5 n6 n7 n8 n9 n10 n11 n12 n13 n14 h1 i2 i3 ta1 q4 q5 ci q6"},
        {":read-write", "t1 q1 q2 q3 e1 e2 e3 e4 e5 u1 u2 u3 u4 p1 p2 p3 p4 p5 n1 n2 n3 n4 n5 n6 n7 n8 n10 n11 n12 n13 n14 i2 i3 ta1 ta2 q4 ed ed2"},
        {":placeholder-shown", "i2 ta1"},
        {":in-range", "n1 n5 n6 n9 n10 n11 n12 n13"},
        {":out-of-range", "n2 n3 n4 n7 n14"},
        {":valid", "f1 r1 r2 r3 c1 c2 t1 bt3 f2 r4 r5 r6 r7 fs2 q2 bt4 bt5 s1 s2 s3 s4 s5 s8 e1 e2 e5 u2 u3 u4 p2 p4 p5 n1 n6 n8 n9 n11 n12 n13 i1 i2 i3 ta1 ta2 fs3 fs4 q4 ci q6"},
        {":invalid", "f3 fs1 q1 s6 s7 e3 e4 u1 p1 p3 n2 n3 n4 n5 n7 n10 n14 f4"},
        {"form:valid", "f1 f2"},
        {"form:invalid", "f3"},
        {"fieldset:invalid", "fs1"},
        {"option:checked", "o2 o3 o4 o9 o10 o12 o16 o17"},
        {"option:default", "o1 o2 o3 o4 o15 o16 o17"},
        {"option:disabled", "o8"},
        {"input:checked + input", "r3 c2 r6 r7 i2"},
        {":checked:default", "r2 c1 r5 r6 o2 o3 o4 o16 o17 i1"},
        {":not(:checked):default", "r1 sb1 bt4 o1 o15"},
    });
}

// Where browsers go past the letter of the standard: the options of a disabled
// select are disabled too (it still has a chosen option), and readonly keeps
// an input of any type out of validation and out of range checks.
const char* const kDisabledSelectAndReadonlyPage = R"(<form id=f><select id=s disabled><option id=a>x</option><option id=b>y</option></select><fieldset id=fs disabled><select id=s2><optgroup id=g><option id=c>z</option></optgroup></select></fieldset><select id=s3 disabled><option id=d disabled>q</option><option id=e>r</option></select><input id=r type=range readonly min=0 max=10 value=5><input id=n type=number readonly min=0 max=10 value=50><input id=sb type=submit readonly><input id=fi type=file readonly required><input id=co type=color readonly><input id=cb type=checkbox readonly required></form>)";

TEST(CssBrowserAnswers, DisabledSelectsAndReadonlyControls)
{
    ExpectBrowserAnswers(kDisabledSelectAndReadonlyPage, {
        {":checked", "a c e"},
        {":disabled", "s a b fs s2 g c s3 d e"},
        {":enabled", "r n sb fi co cb"},
        {":in-range", ""},
        {":out-of-range", ""},
        {":read-write", ""},
        {":valid", "f fs"},
        {":invalid", ""},
        {":required", "fi cb"},
    });
}

}  // namespace
